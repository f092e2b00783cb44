// A titled group of radio buttons, one per entry, stacked top to bottom.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace tessolo {

class ChoiceGroupBox : public QGroupBox {
    Q_OBJECT
public:
    ChoiceGroupBox(const QString& title, const QStringList& entries, QWidget* parent = nullptr);

    // The checked entry's index, or -1 when none is checked.
    int Selection() const { return buttons_->checkedId(); }
    // Checks entry `index`; -1 unchecks every entry.
    void SetSelection(int index);

signals:
    // The user picked entry `index`.
    void Clicked(int index);

private:
    QButtonGroup* buttons_;
};

}  // namespace tessolo

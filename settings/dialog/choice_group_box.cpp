#include "settings/dialog/choice_group_box.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace tessolo {

ChoiceGroupBox::ChoiceGroupBox(const QString& title, const QStringList& entries, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this))
{
    auto* column = new QVBoxLayout(this);
    for (int i = 0; i < entries.size(); ++i) {
        auto* button = new QRadioButton(entries[i], this);
        buttons_->addButton(button, i);
        column->addWidget(button);
    }
    connect(buttons_, &QButtonGroup::idClicked, this, &ChoiceGroupBox::Clicked);
}

void ChoiceGroupBox::SetSelection(int index)
{
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = buttons_->checkedButton()) {
        // An exclusive group keeps one button checked; lift that for a moment.
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

}  // namespace tessolo

// TSpriteView: the result viewer, a plain window that shows the sheet of the
// last build, shrunk to fit when it is larger than the window.
#pragma once

#include <QImage>
#include <QWidget>

namespace tessolo {

class TSpriteView : public QWidget {
    Q_OBJECT
public:
    explicit TSpriteView(QWidget* parent = nullptr);

    // Holds a copy of `sheet` and shows the window in front.
    void ShowSheet(const QImage& sheet);
    const QImage& Sheet() const { return sheet_; }
    // Where the sheet is drawn in the window's current size.
    QRect SheetRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage sheet_;
};

}  // namespace tessolo

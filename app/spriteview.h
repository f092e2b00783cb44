// TSpriteView: the result viewer, a plain window that shows the sheet of the
// last build, shrunk to fit when it is larger than the window. A sheet with
// alpha is drawn over a checkerboard of white and kCheckerGrey squares.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace tessolo {

inline constexpr int kCheckerSquare = 8;
inline const QColor kCheckerGrey{204, 204, 204};

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

#include "app/spriteview.h"

#include "app/display_rect.h"

#include <QPainter>
#include <QPixmap>

namespace tessolo {

TSpriteView::TSpriteView(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle("Sprite Results (Sized for Viewing)");
    resize(800, 600);
}

void TSpriteView::ShowSheet(const QImage& sheet)
{
    sheet_ = sheet;
    show();
    raise();
    activateWindow();
    update();
}

QRect TSpriteView::SheetRect() const
{
    DisplayRect r = FitSheet(sheet_.width(), sheet_.height(), width(), height());
    return QRect(r.x, r.y, r.width, r.height);
}

namespace {

// Squares of light grey and white, kCheckerSquare pixels a side.
QBrush Checkerboard()
{
    QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
    tile.fill(Qt::white);
    QPainter painter(&tile);
    painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, kCheckerGrey);
    painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerGrey);
    return QBrush(tile);
}

}  // namespace

void TSpriteView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (sheet_.isNull())
        return;
    // A sheet with alpha is shown over a checkerboard, so its transparent
    // parts can be told from white ones.
    if (sheet_.hasAlphaChannel())
        painter.fillRect(SheetRect(), Checkerboard());
    // Without smooth transformation the scaling is nearest neighbour.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(SheetRect(), sheet_);
}

}  // namespace tessolo

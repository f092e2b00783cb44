#include "app/spriteview.h"

#include "app/display_rect.h"

#include <QPainter>

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

void TSpriteView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (sheet_.isNull())
        return;
    // Without smooth transformation the scaling is nearest neighbour.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(SheetRect(), sheet_);
}

}  // namespace tessolo

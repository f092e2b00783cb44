#include "app/sheet_canvas.h"

#include "app/display_rect.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstdint>

namespace tessolo {

namespace {

QColor Blend(const QColor& from, const QColor& to, double share)
{
    auto mix = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

QBrush Checkerboard(const QPalette& palette)
{
    auto [light, dark] = CheckerColors(palette);
    QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
    tile.fill(light);
    QPainter painter(&tile);
    painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, dark);
    painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, dark);
    return QBrush(tile);
}

// `value` of `from` units in `to` units, rounded down.
int Scaled(int value, int from, int to)
{
    return int(std::int64_t(value) * to / from);
}

}  // namespace

std::pair<QColor, QColor> CheckerColors(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    return {base, Blend(base, palette.color(QPalette::Text), 0.2)};
}

SheetCanvas::SheetCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName("sheetCanvas");
    setMouseTracking(true);
}

void SheetCanvas::SetSheet(const QImage& sheet, std::vector<SheetImage> images)
{
    sheet_ = sheet;
    images_ = std::move(images);
    Hover({});
    update();
}

void SheetCanvas::SetZoom(int zoom)
{
    zoom_ = zoom;
    update();
}

bool SheetCanvas::CanZoom(int zoom) const
{
    return zoom == 0 || (std::int64_t(sheet_.width()) * zoom <= QWIDGETSIZE_MAX &&
                         std::int64_t(sheet_.height()) * zoom <= QWIDGETSIZE_MAX);
}

QSize SheetCanvas::SizeIn(const QSize& viewport) const
{
    if (zoom_ == 0)
        return viewport;
    return viewport.expandedTo(QSize(sheet_.width() * zoom_, sheet_.height() * zoom_));
}

QRect SheetCanvas::SheetRect() const
{
    const int w = sheet_.width(), h = sheet_.height();
    DisplayRect r = zoom_ == 0 ? FitSheet(w, h, width(), height())
                               : ZoomSheet(w, h, zoom_, width(), height());
    return QRect(r.x, r.y, r.width, r.height);
}

std::optional<QPoint> SheetCanvas::SheetPixelAt(const QPoint& point) const
{
    const QRect shown = SheetRect();
    if (sheet_.isNull() || !shown.contains(point))
        return std::nullopt;
    return QPoint(Scaled(point.x() - shown.x(), shown.width(), sheet_.width()),
                  Scaled(point.y() - shown.y(), shown.height(), sheet_.height()));
}

QRect SheetCanvas::OnCanvas(const QRect& box) const
{
    const QRect shown = SheetRect();
    auto x = [&](int sheetX) { return shown.x() + Scaled(sheetX, sheet_.width(), shown.width()); };
    auto y = [&](int sheetY) {
        return shown.y() + Scaled(sheetY, sheet_.height(), shown.height());
    };
    return QRect(QPoint(x(box.left()), y(box.top())),
                 QPoint(x(box.left() + box.width()) - 1, y(box.top() + box.height()) - 1));
}

std::vector<std::size_t> SheetCanvas::ImagesAt(const QPoint& point) const
{
    std::vector<std::size_t> found;
    if (std::optional<QPoint> pixel = SheetPixelAt(point))
        for (std::size_t i = 0; i < images_.size(); ++i)
            if (images_[i].sheetBox.contains(*pixel))
                found.push_back(i);
    return found;
}

void SheetCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const QRect shown = SheetRect();
    const QRect exposed = shown & event->rect();
    if (sheet_.isNull() || exposed.isEmpty())
        return;
    if (sheet_.hasAlphaChannel()) {
        painter.setBrushOrigin(shown.topLeft());
        painter.fillRect(exposed, Checkerboard(palette()));
    }
    // Without smooth transformation the scaling is nearest neighbour.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (zoom_ == 0) {
        painter.drawImage(shown, sheet_);
    } else {
        // Only the exposed pixels are drawn: a zoomed long strip is wider
        // than any image Qt would scale in one piece.
        const QPoint from = exposed.topLeft() - shown.topLeft();
        const QPoint to = exposed.bottomRight() - shown.topLeft();
        const QRect source(QPoint(from.x() / zoom_, from.y() / zoom_),
                           QPoint(to.x() / zoom_, to.y() / zoom_));
        painter.drawImage(QRect(shown.topLeft() + source.topLeft() * zoom_, source.size() * zoom_),
                          sheet_, source);
    }
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    for (std::size_t index : hovered_)
        painter.drawRect(OnCanvas(images_[index].sheetBox).adjusted(-1, -1, 0, 0));
}

void SheetCanvas::mouseMoveEvent(QMouseEvent* event)
{
    Hover(ImagesAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void SheetCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && clicked)
        clicked(ImagesAt(event->position().toPoint()));
    QWidget::mousePressEvent(event);
}

void SheetCanvas::leaveEvent(QEvent* event)
{
    Hover({});
    QWidget::leaveEvent(event);
}

void SheetCanvas::Hover(std::vector<std::size_t> images)
{
    if (images == hovered_)
        return;
    hovered_ = std::move(images);
    setCursor(hovered_.empty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
    if (hovered)
        hovered(hovered_);
}

}  // namespace tessolo

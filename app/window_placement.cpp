#include "app/window_placement.h"

#include "app/window_geometry.h"

#include <QWidget>

#include <algorithm>

namespace tessolo {

QRect FitIntoArea(const QRect& window, const QMargins& frame, const QRect& available)
{
    const QRect inside = available.marginsRemoved(frame);
    const WindowBox fitted =
        FitIntoArea({window.x(), window.y(), window.width(), window.height()},
                    {inside.x(), inside.y(), inside.width(), inside.height()});
    return {fitted.left, fitted.top, fitted.width, fitted.height};
}

QRect BesideWindow(const QRect& ownerFrame, const QSize& size, const QMargins& frame,
                   const QRect& available)
{
    const int framedWidth = size.width() + frame.left() + frame.right();
    const int roomRight = available.right() - ownerFrame.right();
    const int roomLeft = ownerFrame.left() - available.left();
    bool right = roomRight >= framedWidth || (roomLeft < framedWidth && roomRight >= roomLeft);
    const int room = right ? roomRight : roomLeft;
    const int width = std::min(framedWidth, std::max(room, kNarrowestBeside)) - frame.left() -
                      frame.right();
    const int x = right ? ownerFrame.right() + 1 + frame.left()
                        : ownerFrame.left() - frame.right() - width;
    return FitIntoArea({x, ownerFrame.top() + frame.top(), width, size.height()}, frame,
                       available);
}

std::string StoredBoxText(const QRect& clientArea)
{
    return WindowBoxText(
        {clientArea.x(), clientArea.y(), clientArea.width(), clientArea.height()});
}

std::string StoredBoxText(const QWidget& window)
{
    const bool normal = !window.isMaximized() && !window.isFullScreen();
    return StoredBoxText(normal ? window.geometry() : window.normalGeometry());
}

QRect StoredBox(const std::string& text)
{
    const std::optional<WindowBox> box = WindowBoxFromText(text);
    return box ? QRect(box->left, box->top, box->width, box->height) : QRect();
}

}  // namespace tessolo

#include "app/window_placement.h"

#include <algorithm>

namespace tessolo {

QRect FitIntoArea(const QRect& window, const QMargins& frame, const QRect& available)
{
    const QRect inside = available.marginsRemoved(frame);
    const int width = std::clamp(window.width(), 1, std::max(inside.width(), 1));
    const int height = std::clamp(window.height(), 1, std::max(inside.height(), 1));
    const int x =
        std::clamp(window.x(), inside.left(), std::max(inside.left(), inside.right() + 1 - width));
    const int y =
        std::clamp(window.y(), inside.top(), std::max(inside.top(), inside.bottom() + 1 - height));
    return {x, y, width, height};
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

}  // namespace tessolo

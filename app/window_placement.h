// Where a window goes on the screen: inside the screen's available area
// (the screen without its panels), and beside another window rather than
// over it. Rectangles are client areas in device-independent pixels, as Qt
// gives them at any device pixel ratio; `frame` is the window manager's
// frame around a client area.
#pragma once

#include <QMargins>
#include <QRect>

namespace tessolo {

// `window` moved, and shrunk where it is larger, so that it and its frame lie
// inside `available`.
QRect FitIntoArea(const QRect& window, const QMargins& frame, const QRect& available);

// A client area of `size` beside the window whose frame is `ownerFrame`, its
// top level with the owner's: on the right when the room there takes it,
// else on the left when that room does, else on the side with more room,
// narrowed to that room (it overlaps the owner only where that room is less
// than kNarrowestBeside), and then fitted into `available`.
QRect BesideWindow(const QRect& ownerFrame, const QSize& size, const QMargins& frame,
                   const QRect& available);

inline constexpr int kNarrowestBeside = 240;

}  // namespace tessolo

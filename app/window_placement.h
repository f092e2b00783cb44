// Where a window goes on the screen: inside the screen's available area
// (the screen without its panels), and beside another window rather than
// over it. Rectangles are client areas in device-independent pixels, as Qt
// gives them at any device pixel ratio; `frame` is the window manager's
// frame around a client area.
#pragma once

#include <QMargins>
#include <QRect>

#include <string>

class QWidget;

namespace tessolo {

// `window` moved, and shrunk where it is larger, so that it and its frame lie
// inside `available` (as FitIntoArea of window_geometry.h does); unchanged
// when the frame leaves no room.
QRect FitIntoArea(const QRect& window, const QMargins& frame, const QRect& available);

// A client area of `size` beside the window whose frame is `ownerFrame`, its
// top level with the owner's: on the right when the room there takes it,
// else on the left when that room does, else on the side with more room,
// narrowed to that room (it overlaps the owner only where that room is less
// than kNarrowestBeside), and then fitted into `available`.
QRect BesideWindow(const QRect& ownerFrame, const QSize& size, const QMargins& frame,
                   const QRect& available);

inline constexpr int kNarrowestBeside = 240;

// The text the store keeps of a client area (settings/window_box.h).
std::string StoredBoxText(const QRect& clientArea);
// That of where `window` was left: its client area, the normal one while it
// is maximised or full screen.
std::string StoredBoxText(const QWidget& window);
// The client area a stored text holds; an empty rectangle when it holds none.
QRect StoredBox(const std::string& text);

}  // namespace tessolo

// Where a window opens: its stored box, read back from text and fitted into
// the screen's available area, so a window saved on a larger or another
// screen always opens whole and reachable.
#pragma once

#include <optional>
#include <string>

namespace tessolo {

// A window's frame in the screen's logical pixels (device-independent, so
// the same at a scale of 1 and of 2).
struct WindowBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowBox&, const WindowBox&) = default;
};

// "left,top,width,height", as stored.
std::string WindowBoxText(const WindowBox& box);
// The box of such a text; nothing for any other text or a side below 1.
std::optional<WindowBox> WindowBoxFromText(const std::string& text);

// `wanted` made no larger than `area` and moved the least distance that puts
// it wholly inside.
WindowBox FitIntoArea(const WindowBox& wanted, const WindowBox& area);

}  // namespace tessolo

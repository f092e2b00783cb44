// A window's stored box: where a window was left, kept in the store as the
// text "left,top,width,height".
#pragma once

#include <optional>
#include <string>

namespace tessolo {

// A window's client area in the screen's logical pixels (device-independent,
// so the same at a scale of 1 and of 2).
struct WindowBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowBox&, const WindowBox&) = default;
};

// Keeps every sum of a box's numbers far inside an int.
inline constexpr int kWindowBoxLimit = 65535;

// "left,top,width,height", as stored.
std::string WindowBoxText(const WindowBox& box);
// The box of such a text; nothing for any other text, a side below 1 or a
// number beyond kWindowBoxLimit either way.
std::optional<WindowBox> WindowBoxFromText(const std::string& text);

}  // namespace tessolo

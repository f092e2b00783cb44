#include "settings/window_box.h"

#include <charconv>

namespace tessolo {

std::string WindowBoxText(const WindowBox& box)
{
    return std::to_string(box.left) + "," + std::to_string(box.top) + "," +
           std::to_string(box.width) + "," + std::to_string(box.height);
}

std::optional<WindowBox> WindowBoxFromText(const std::string& text)
{
    int values[4];
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at == end || *at++ != ','))
            return std::nullopt;
        auto [next, failed] = std::from_chars(at, end, values[i]);
        if (failed != std::errc() || values[i] < -kWindowBoxLimit || values[i] > kWindowBoxLimit)
            return std::nullopt;
        at = next;
    }
    if (at != end || values[2] < 1 || values[3] < 1)
        return std::nullopt;
    return WindowBox{values[0], values[1], values[2], values[3]};
}

}  // namespace tessolo

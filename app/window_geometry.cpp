#include "app/window_geometry.h"

#include <algorithm>
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
        if (failed != std::errc())
            return std::nullopt;
        at = next;
    }
    if (at != end || values[2] < 1 || values[3] < 1)
        return std::nullopt;
    return WindowBox{values[0], values[1], values[2], values[3]};
}

WindowBox FitIntoArea(const WindowBox& wanted, const WindowBox& area)
{
    if (area.width < 1 || area.height < 1)
        return wanted;  // no screen to fit into
    WindowBox box = wanted;
    box.width = std::clamp(box.width, 1, area.width);
    box.height = std::clamp(box.height, 1, area.height);
    // Every sum stays in range: the sides are at most the area's.
    box.left = std::clamp(box.left, area.left, area.left + area.width - box.width);
    box.top = std::clamp(box.top, area.top, area.top + area.height - box.height);
    return box;
}

}  // namespace tessolo

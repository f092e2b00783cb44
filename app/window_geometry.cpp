#include "app/window_geometry.h"

#include <algorithm>

namespace tessolo {

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

#include "app/display_rect.h"

#include <algorithm>

namespace tessolo {

DisplayRect FitSheet(int width, int height, int clientWidth, int clientHeight)
{
    DisplayRect rect{0, 0, width, height};
    if ((width > clientWidth || height > clientHeight) && width > 0 && height > 0) {
        double aspect = double(width) / height;
        if (width > height) {
            rect.width = clientWidth;
            rect.height = int(clientWidth / aspect);
            if (rect.height > clientHeight) {
                rect.height = clientHeight;
                rect.width = int(clientHeight * aspect);
            }
        } else {
            rect.height = clientHeight;
            rect.width = int(clientHeight * aspect);
            if (rect.width > clientWidth) {
                rect.width = clientWidth;
                rect.height = int(clientWidth / aspect);
            }
        }
        // Truncation would make a 35962 x 16 strip 0 pixels high in 800 x 600.
        rect.width = std::max(rect.width, 1);
        rect.height = std::max(rect.height, 1);
    }
    rect.x = (clientWidth - rect.width) / 2;
    rect.y = (clientHeight - rect.height) / 2;
    return rect;
}

DisplayRect ZoomSheet(int width, int height, int zoom, int clientWidth, int clientHeight)
{
    DisplayRect rect{0, 0, width * zoom, height * zoom};
    rect.x = std::max(0, (clientWidth - rect.width) / 2);
    rect.y = std::max(0, (clientHeight - rect.height) / 2);
    return rect;
}

}  // namespace tessolo

#include "app/display_rect.h"

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
    }
    rect.x = (clientWidth - rect.width) / 2;
    rect.y = (clientHeight - rect.height) / 2;
    return rect;
}

}  // namespace tessolo

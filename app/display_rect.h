// Where the result viewer draws a sheet: at natural size when it fits,
// otherwise shrunk to fit with its aspect ratio kept; centred either way.
#pragma once

namespace tessolo {

struct DisplayRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const DisplayRect&, const DisplayRect&) = default;
};

// The rectangle for a `width` x `height` sheet in a `clientWidth` x
// `clientHeight` area. The sheet is never enlarged.
DisplayRect FitSheet(int width, int height, int clientWidth, int clientHeight);

}  // namespace tessolo

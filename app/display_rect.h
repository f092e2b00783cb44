// Where the result viewer draws a sheet: fitted into the window (at natural
// size when it fits, otherwise shrunk with its aspect ratio kept), or at a
// whole zoom factor; centred in the area either way.
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
// `clientHeight` area. The sheet is never enlarged, and a sheet with pixels
// is never shown with a side of 0: a long strip is at least one pixel thick.
DisplayRect FitSheet(int width, int height, int clientWidth, int clientHeight);

// The rectangle for the sheet at `zoom` times its size: centred where the
// area is larger, from the area's edge where the sheet is. The caller keeps
// each side within what a widget can be.
DisplayRect ZoomSheet(int width, int height, int zoom, int clientWidth, int clientHeight);

}  // namespace tessolo

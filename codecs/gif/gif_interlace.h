// The row order of an interlaced GIF frame: rows 0, 8, 16...; then 4, 12...;
// then 2, 6...; then 1, 3, 5...
#pragma once

namespace tessolo {

// The row that follows `row` of pass `pass` (0 to 3) in a frame of `height`
// rows, moving `pass` on past passes without rows left; -1 after the last.
inline int NextInterlacedRow(int row, int& pass, int height)
{
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    if (pass > 3)
        return -1;
    row += kStep[pass];
    while (row >= height) {
        if (++pass > 3)
            return -1;
        row = kStart[pass];
    }
    return row;
}

}  // namespace tessolo

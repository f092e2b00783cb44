// Where a window opens: its stored box fitted into the screen's available
// area, so a window saved on a larger or another screen always opens whole
// and reachable.
#pragma once

#include "settings/window_box.h"

namespace tessolo {

// `wanted` made no larger than `area` and moved the least distance that puts
// it wholly inside.
WindowBox FitIntoArea(const WindowBox& wanted, const WindowBox& area);

}  // namespace tessolo

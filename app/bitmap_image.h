// Our bitmap as a Qt image, for showing a sheet on screen.
#pragma once

#include "platform/bitmap.h"

#include <QImage>

namespace tessolo {

// An independent copy of `bitmap` (any pixel format) as a 24-bit image, or
// with its alpha when it has alpha.
QImage ToQImage(const Bitmap& bitmap);

}  // namespace tessolo

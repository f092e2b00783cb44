// Our bitmap as a Qt image, for showing a sheet on screen.
#pragma once

#include "platform/bitmap.h"

#include <QImage>

namespace tessolo {

// An independent copy of `bitmap` (any pixel format) as a 24-bit image.
QImage ToQImage(const Bitmap& bitmap);

}  // namespace tessolo

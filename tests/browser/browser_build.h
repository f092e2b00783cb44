// What the browser checks share: source images whose every pixel differs
// from its neighbours, a build of them to a PNG sheet, and the values a page
// reports on its <body>.
#pragma once

#include "platform/bitmap.h"
#include "sprite/sprite_build.h"
#include "support/reference_decoders.h"
#include "support/testdata.h"

#include <string>
#include <vector>

namespace tessolo::test {

// An image whose pixels all differ from their neighbours'.
Bitmap Pattern(int width, int height, int seed);

// Inputs for a build in `dir` of BMP files already listed, to a PNG sheet.
BuildInputs PngBuildIn(const TempDir& dir, std::vector<std::string> files, LineStyle lineStyle);

// Settings of a grid layout with the given paddings, as the browser checks
// build their sheets.
BuildSettings GridSettings(int horizontalPadding, int verticalPadding);

// Builds, and returns the build's error text: empty when it is done.
std::string BuildError(const BuildInputs& inputs, const BuildSettings& settings);

// A screenshot of a page of the stylesheet in `dir`'s "sprite.css" with one
// element per class, the element of classes[i] at (4, 4 + 20 i) CSS pixels,
// taken by `program` drawing `scale` device pixels per CSS pixel.
Rgba ProbeShot(const std::string& program, const TempDir& dir,
               const std::vector<std::string>& classes, int scale = 1);

// The value of the attribute `name` in the dumped document `dom`; throws
// std::runtime_error when the page did not set it.
std::string Attribute(const std::string& dom, const std::string& name);

}  // namespace tessolo::test

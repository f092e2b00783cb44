#include "sprite/high_density.h"

#include "platform/alpha.h"

#include <string_view>
#include <utility>

namespace tessolo {

std::string WithoutDoubleSizeSuffix(const std::string& name)
{
    std::string_view suffix = kDoubleSizeSuffix;
    if (name.size() > suffix.size() && name.ends_with(suffix))
        return name.substr(0, name.size() - suffix.size());
    return name;
}

void PadToEvenSize(Bitmap& source, bool transparentBackground)
{
    const int width = EvenUp(source.Width());
    const int height = EvenUp(source.Height());
    if (width == source.Width() && height == source.Height())
        return;
    if (transparentBackground && !source.HasAlpha) {
        Bitmap padded = TransparentBitmap(width, height);
        padded.Draw(source, 0, 0);
        source = std::move(padded);
        return;
    }
    // New area is white, or transparent white on a bitmap with alpha.
    source.SetSize(width, height);
}

}  // namespace tessolo

#include "codecs/gif/system_palettes.h"

namespace tessolo {

const std::vector<ColorRef>& DefaultPalette20()
{
    static const std::vector<ColorRef> table = {
        MakeColor(0, 0, 0),       MakeColor(128, 0, 0),     MakeColor(0, 128, 0),
        MakeColor(128, 128, 0),   MakeColor(0, 0, 128),     MakeColor(128, 0, 128),
        MakeColor(0, 128, 128),   MakeColor(192, 192, 192), MakeColor(32, 32, 32),
        MakeColor(64, 64, 64),    MakeColor(224, 224, 224), MakeColor(160, 160, 160),
        MakeColor(128, 128, 128), MakeColor(255, 0, 0),     MakeColor(0, 255, 0),
        MakeColor(255, 255, 0),   MakeColor(0, 0, 255),     MakeColor(255, 0, 255),
        MakeColor(0, 255, 255),   MakeColor(255, 255, 255),
    };
    return table;
}

const std::vector<ColorRef>& HalftonePalette()
{
    return Palette256();
}

const std::vector<ColorRef>& GrayPalette4()
{
    static const std::vector<ColorRef> table = {
        MakeColor(0, 0, 0), MakeColor(128, 128, 128), MakeColor(192, 192, 192), MakeColor(255, 255, 255)};
    return table;
}

const std::vector<ColorRef>& WebPalette()
{
    // The 6 x 6 x 6 colour cube that opens the 256-colour table.
    static const std::vector<ColorRef> table(Palette256().begin(), Palette256().begin() + 216);
    return table;
}

}  // namespace tessolo

#include "codecs/png/png_quantize.h"

#include "platform/error.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace tessolo {

namespace {

struct AttrFree {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
};
struct ImageFree {
    void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct ResultFree {
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};

void Check(liq_error error, const char* step)
{
    if (error != LIQ_OK)
        throw Error(std::string("The sheet's palette could not be made (") + step + ", code " +
                    std::to_string(int(error)) + ")");
}

// The sheet's pixels as RGBA bytes, opaque where it has no alpha.
std::vector<std::uint8_t> RgbaOf(const Bitmap& sheet)
{
    const bool alpha = sheet.HasAlpha && sheet.Format() == PixelFormat::Bits32;
    std::vector<std::uint8_t> rgba;
    rgba.reserve(std::size_t(sheet.Width()) * std::size_t(sheet.Height()) * 4);
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) {
            const ColorRef c = sheet.Pixel(x, y);
            rgba.insert(rgba.end(), {RedOf(c), GreenOf(c), BlueOf(c),
                                     alpha ? sheet.ScanLine(y)[4 * x + 3] : std::uint8_t(255)});
        }
    return rgba;
}

}  // namespace

Bitmap QuantizedSheet(const Bitmap& sheet, int colors, bool dither)
{
    if (sheet.Empty())
        return sheet;
    std::vector<std::uint8_t> rgba = RgbaOf(sheet);
    std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
    if (!attr)
        throw Error("The sheet's palette could not be made: out of memory");
    Check(liq_set_max_colors(attr.get(),
                             std::clamp(colors, kMinPaletteColors, kMaxPaletteColors)),
          "colours");
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_rgba(attr.get(), rgba.data(), sheet.Width(), sheet.Height(), 0));
    if (!image)
        throw Error("The sheet's palette could not be made: the sheet is too large");
    liq_result* made = nullptr;
    Check(liq_image_quantize(image.get(), attr.get(), &made), "quantize");
    std::unique_ptr<liq_result, ResultFree> result(made);
    Check(liq_set_dithering_level(result.get(), dither ? 1.0f : 0.0f), "dither");
    std::vector<std::uint8_t> indices(std::size_t(sheet.Width()) * std::size_t(sheet.Height()));
    Check(liq_write_remapped_image(result.get(), image.get(), indices.data(), indices.size()),
          "remap");
    const liq_palette& palette = *liq_get_palette(result.get());

    Bitmap reduced(sheet.Width(), sheet.Height(),
                   sheet.HasAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    reduced.HasAlpha = sheet.HasAlpha;
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) {
            const liq_color& c = palette.entries[indices[std::size_t(y) * sheet.Width() + x]];
            reduced.SetPixel(x, y, MakeColor(c.r, c.g, c.b));
            if (reduced.HasAlpha)
                reduced.ScanLine(y)[4 * x + 3] = c.a;
        }
    return reduced;
}

}  // namespace tessolo

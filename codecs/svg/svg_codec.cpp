#include "codecs/svg/svg_codec.h"

#include <librsvg/rsvg.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <memory>

namespace tessolo {

namespace {

// Cairo's largest image surface side.
constexpr double kMaxSide = 32767;

struct HandleDeleter {
    void operator()(RsvgHandle* handle) const { g_object_unref(handle); }
};
struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Handle = std::unique_ptr<RsvgHandle, HandleDeleter>;

// Throws SvgError with the library's message, and frees it.
[[noreturn]] void ThrowLibraryError(GError* error, const char* fallback)
{
    std::string reason = error && error->message ? error->message : fallback;
    g_clear_error(&error);
    // The parser's messages end in a line break.
    while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back())))
        reason.pop_back();
    throw SvgError(reason);
}

void CheckSvgSourceHead(std::span<const std::uint8_t> head, std::uint64_t)
{
    std::size_t at = head.size() >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF ? 3 : 0;
    while (at < head.size() && (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n'))
        ++at;
    if (at == head.size() || head[at] != '<')
        throw SvgError("the file is not an SVG document");
}

// The XML parser's generic messages (of encodings it cannot convert) would
// go to standard error; the library reports the failure itself.
void SilentXmlMessage(void*, const char*, ...) {}

// The document's size in whole pixels: its width and height, else its
// viewBox; with `longerSide`, scaled so that its longer side is that long;
// then both times `scale`.
std::pair<int, int> DrawnSize(RsvgHandle* handle, int longerSide, int scale)
{
    double width = 0, height = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height)) {
        gboolean hasWidth, hasHeight, hasViewBox;
        RsvgLength w, h;
        RsvgRectangle viewBox;
        rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &w, &hasHeight, &h, &hasViewBox, &viewBox);
        if (!hasViewBox)
            throw SvgError("the document has neither a width and height in absolute units nor a viewBox");
        width = viewBox.width;
        height = viewBox.height;
    }
    if (longerSide > 0 && width > 0 && height > 0) {
        const double scale = longerSide / std::max(width, height);
        width = std::max(1.0, width * scale);
        height = std::max(1.0, height * scale);
    }
    if (!(width >= 0.5 && height >= 0.5))
        throw SvgError("the document's size is empty");
    // Rounded as doubles: a size beyond the range of long must fail the
    // check below, not wrap.
    const double drawnWidth = std::round(width) * scale;
    const double drawnHeight = std::round(height) * scale;
    if (!(drawnWidth <= kMaxSide && drawnHeight <= kMaxSide))
        throw SvgError("the document is larger than 32767 pixels a side");
    return {int(drawnWidth), int(drawnHeight)};
}

// Cairo draws premultiplied 32-bit words, blue, green, red, alpha in memory
// on little-endian machines; the bitmap holds straight alpha.
static_assert(std::endian::native == std::endian::little);
void Unpremultiply(Bitmap& bitmap)
{
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, pixel += 4) {
            const unsigned alpha = pixel[3];
            for (int c = 0; c < 3; ++c)
                pixel[c] = alpha == 0 ? 255 : std::uint8_t((pixel[c] * 255u + alpha / 2) / alpha);
        }
    }
}

}  // namespace

SvgError::SvgError(const std::string& reason) : Error("SVG error: " + reason) {}

Bitmap DecodeSvgSource(std::span<const std::uint8_t> data) { return DecodeSvgSourceAt(data, 0, 1); }

Bitmap DecodeSvgSourceAt(std::span<const std::uint8_t> data, int longerSide, int scale)
{
    CheckSvgSourceHead(data.first(std::min(data.size(), kSourceHeadBytes)), data.size());
    // The setting is the calling thread's, on which the document is parsed.
    xmlSetGenericErrorFunc(nullptr, SilentXmlMessage);
    GError* error = nullptr;
    Handle handle(rsvg_handle_new_from_data(data.data(), data.size(), &error));
    if (!handle)
        ThrowLibraryError(error, "the document cannot be read");
    const auto [width, height] = DrawnSize(handle.get(), longerSide, scale);
    Bitmap bitmap(width, height, PixelFormat::Bits32);
    bitmap.HasAlpha = true;
    for (int y = 0; y < height; ++y)
        std::fill_n(bitmap.ScanLine(y), std::size_t(width) * 4, std::uint8_t(0));
    std::unique_ptr<cairo_surface_t, CairoDeleter> surface(cairo_image_surface_create_for_data(
        bitmap.ScanLine(0), CAIRO_FORMAT_ARGB32, width, height, int(bitmap.Stride())));
    std::unique_ptr<cairo_t, CairoDeleter> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
        throw SvgError("the picture cannot be drawn");
    const RsvgRectangle viewport{0, 0, double(width), double(height)};
    if (!rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error))
        ThrowLibraryError(error, "the document cannot be drawn");
    cairo_surface_flush(surface.get());
    Unpremultiply(bitmap);
    return bitmap;
}

const SourceFormat kSvgSource = {"SVG", kMaxSvgSourceFileBytes, CheckSvgSourceHead, DecodeSvgSource};

Bitmap LoadSvgSource(const std::string& path) { return LoadSource(kSvgSource, path); }

Bitmap LoadSvgSourceAt(const std::string& path, int longerSide, int scale)
{
    return DecodeSvgSourceAt(ReadSourceFile(kSvgSource, path), longerSide, scale);
}

}  // namespace tessolo

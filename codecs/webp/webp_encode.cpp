#include "codecs/webp/webp_codec.h"

#include <webp/encode.h>

#include <bit>
#include <memory>
#include <string>

namespace tessolo {

namespace {

struct PictureDeleter {
    void operator()(WebPPicture* picture) const { WebPPictureFree(picture); }
};
struct WriterDeleter {
    void operator()(WebPMemoryWriter* writer) const { WebPMemoryWriterClear(writer); }
};

WebPConfig ConfigOf(const WebpSheetOptions& options)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw WebpError("the encoder does not match its header");
    if (options.quality <= 0) {
        WebPConfigLosslessPreset(&config, 6);
        config.exact = 1;  // keep the colour under transparent pixels too
    } else {
        config.quality = float(options.quality);
        config.method = 4;
        config.alpha_quality = 100;
    }
    config.thread_level = 1;
    return config;
}

}  // namespace

Bytes EncodeWebpSheet(const Bitmap& sheet, const WebpSheetOptions& options)
{
    if (sheet.Empty())
        return {};
    if (sheet.Width() > kMaxWebpSide || sheet.Height() > kMaxWebpSide)
        throw SheetTooLargeError(sheet.Width(), sheet.Height(), "WebP", kMaxWebpSide);
    const WebPConfig config = ConfigOf(options);
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        throw WebpError("the encoder does not match its header");
    std::unique_ptr<WebPPicture, PictureDeleter> owned(&picture);
    // Lossy sheets are imported straight into YUV: no ARGB copy of the sheet.
    picture.use_argb = options.quality <= 0;
    picture.width = sheet.Width();
    picture.height = sheet.Height();
    const bool alpha = sheet.HasAlpha && sheet.Format() == PixelFormat::Bits32;
    Bitmap converted;
    if (!alpha && sheet.Format() != PixelFormat::Bits24)
        converted = sheet.ConvertTo(PixelFormat::Bits24);
    const Bitmap& pixels = converted.Empty() ? sheet : converted;
    const int stride = int(pixels.Stride());
    if (alpha && picture.use_argb && std::endian::native == std::endian::little) {
        // A BGRA row read as 32-bit words is libwebp's ARGB: the lossless
        // encoder reads the sheet where it is instead of a copy of it. It
        // leaves the pixels as they are, since `exact` is set.
        picture.argb = reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(pixels.ScanLine(0)));
        picture.argb_stride = stride / 4;
    } else if (!(alpha ? WebPPictureImportBGRA(&picture, pixels.ScanLine(0), stride)
                       : WebPPictureImportBGR(&picture, pixels.ScanLine(0), stride))) {
        throw WebpError("out of memory");
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    std::unique_ptr<WebPMemoryWriter, WriterDeleter> written(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture))
        throw WebpError("the sheet cannot be encoded (error " +
                        std::to_string(int(picture.error_code)) + ")");
    return Bytes(writer.mem, writer.mem + writer.size);
}

}  // namespace tessolo

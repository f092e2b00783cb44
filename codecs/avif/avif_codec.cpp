#include "codecs/avif/avif_codec.h"

#include <avif/avif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

namespace tessolo {

namespace {

struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
struct EncoderDeleter {
    void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct ImageDeleter {
    void operator()(avifImage* image) const { avifImageDestroy(image); }
};

void Check(avifResult result, const char* what)
{
    if (result != AVIF_RESULT_OK)
        throw AvifError(std::string(what) + ": " + avifResultToString(result));
}

// An ISO media file starts with its file-type box: a 32-bit size, "ftyp".
void CheckAvifSourceHead(std::span<const std::uint8_t> head, std::uint64_t)
{
    if (head.size() < 12 || std::memcmp(head.data() + 4, "ftyp", 4) != 0)
        throw AvifError("the file is not an AVIF picture");
}

// An RGB view of `bitmap`'s rows, which must be 24-bit BGR or 32-bit BGRA
// with alpha. Encoding only reads the view; decoding writes the bitmap.
avifRGBImage RgbViewOf(const avifImage* image, const Bitmap& bitmap)
{
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.depth = 8;
    rgb.format = bitmap.HasAlpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
    rgb.pixels = const_cast<std::uint8_t*>(bitmap.ScanLine(0));
    rgb.rowBytes = std::uint32_t(bitmap.Stride());
    return rgb;
}

// 1-100 onto the AV1 quantiser, 63 (coarsest) to 0 (lossless).
int QuantizerOf(int quality)
{
    return (100 - std::clamp(quality, 1, 100)) * AVIF_QUANTIZER_WORST_QUALITY / 99;
}

}  // namespace

AvifError::AvifError(const std::string& reason) : Error("AVIF error: " + reason) {}

Bitmap DecodeAvifSource(std::span<const std::uint8_t> data)
{
    std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avifDecoderCreate());
    if (!decoder)
        throw AvifError("out of memory");
    decoder->imageSizeLimit = std::uint32_t(kMaxBitmapBytes / 4);
    decoder->imageCountLimit = 1;
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    Check(avifDecoderSetIOMemory(decoder.get(), data.data(), data.size()), "the file is damaged");
    Check(avifDecoderParse(decoder.get()), "the file is damaged");
    const avifImage* header = decoder->image;
    CheckBitmapSize(int(std::min<std::uint32_t>(header->width, 1u << 30)),
                    int(std::min<std::uint32_t>(header->height, 1u << 30)), PixelFormat::Bits32);
    Check(avifDecoderNextImage(decoder.get()), "the picture's data is damaged");
    const avifImage* image = decoder->image;
    const bool alpha = image->alphaPlane != nullptr;
    Bitmap bitmap(int(image->width), int(image->height),
                  alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    bitmap.HasAlpha = alpha;
    avifRGBImage rgb = RgbViewOf(image, bitmap);
    Check(avifImageYUVToRGB(image, &rgb), "the picture's colours cannot be converted");
    return bitmap;
}

const SourceFormat kAvifSource = {"AVIF", kMaxAvifSourceFileBytes, CheckAvifSourceHead,
                                  DecodeAvifSource};

Bitmap LoadAvifSource(const std::string& path) { return LoadSource(kAvifSource, path); }

Bytes EncodeAvifSheet(const Bitmap& sheet, const AvifSheetOptions& options)
{
    if (sheet.Empty())
        return {};
    const bool alpha = sheet.HasAlpha && sheet.Format() == PixelFormat::Bits32;
    Bitmap converted;
    if (!alpha && sheet.Format() != PixelFormat::Bits24)
        converted = sheet.ConvertTo(PixelFormat::Bits24);
    const Bitmap& pixels = converted.Empty() ? sheet : converted;
    std::unique_ptr<avifImage, ImageDeleter> image(
        avifImageCreate(std::uint32_t(pixels.Width()), std::uint32_t(pixels.Height()), 8,
                        AVIF_PIXEL_FORMAT_YUV444));
    if (!image)
        throw AvifError("out of memory");
    const bool lossless = options.quality >= 100;
    // Lossless colour needs the identity matrix: RGB stored as it is.
    image->matrixCoefficients = lossless ? AVIF_MATRIX_COEFFICIENTS_IDENTITY
                                         : AVIF_MATRIX_COEFFICIENTS_BT601;
    image->yuvRange = AVIF_RANGE_FULL;
    avifRGBImage rgb = RgbViewOf(image.get(), pixels);
    Check(avifImageRGBToYUV(image.get(), &rgb), "the sheet's colours cannot be converted");
    std::unique_ptr<avifEncoder, EncoderDeleter> encoder(avifEncoderCreate());
    if (!encoder)
        throw AvifError("out of memory");
    encoder->minQuantizer = encoder->maxQuantizer = QuantizerOf(options.quality);
    encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = AVIF_QUANTIZER_LOSSLESS;
    encoder->speed = 6;
    encoder->maxThreads = int(std::max(1u, std::thread::hardware_concurrency()));
    avifRWData output = AVIF_DATA_EMPTY;
    const avifResult result = avifEncoderWrite(encoder.get(), image.get(), &output);
    Bytes file(output.data, output.data + output.size);
    avifRWDataFree(&output);
    Check(result, "the sheet cannot be encoded");
    return file;
}

}  // namespace tessolo

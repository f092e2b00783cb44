#include "source_test_support.h"

#include "platform/error.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>
#include <stdexcept>

namespace tessolo::test {

Bitmap Pattern(bool alpha)
{
    Bitmap picture(3, 2, PixelFormat::Bits32);
    picture.HasAlpha = true;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            std::uint8_t* pixel = picture.ScanLine(y) + x * 4;
            pixel[0] = std::uint8_t(40 * x);
            pixel[1] = std::uint8_t(200 - 90 * y);
            pixel[2] = std::uint8_t(30 + 60 * x + 100 * y);
            // Never fully transparent: the encoder may change the colour there.
            pixel[3] = alpha ? std::uint8_t(5 + 50 * (x + 3 * y)) : 255;
        }
    return picture;
}

Bytes LosslessWebp(const Bitmap& picture)
{
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessBGRA(picture.ScanLine(0), picture.Width(), picture.Height(),
                                                    int(picture.Stride()), &out);
    Bytes bytes(out, out + size);
    WebPFree(out);
    if (bytes.empty())
        throw std::runtime_error("WebP encoding failed");
    return bytes;
}

Bytes AnimatedWebp(ColorRef first, ColorRef second)
{
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(4, 4, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (ColorRef color : {first, second}) {
        WebPPicture frame;
        WebPPictureInit(&frame);
        frame.use_argb = 1;
        frame.width = frame.height = 4;
        WebPPictureAlloc(&frame);
        for (int i = 0; i < 16; ++i)
            frame.argb[i] = 0xFF000000u | std::uint32_t(RedOf(color)) << 16 |
                            std::uint32_t(GreenOf(color)) << 8 | BlueOf(color);
        WebPAnimEncoderAdd(encoder, &frame, timestamp, &config);
        WebPPictureFree(&frame);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    Bytes bytes(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return bytes;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string PixelsText(const Bitmap& bitmap)
{
    std::string text;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const ColorRef color = bitmap.Pixel(x, y);
            const int alpha = bitmap.HasAlpha ? bitmap.ScanLine(y)[x * 4 + 3] : 255;
            char pixel[10];
            std::snprintf(pixel, sizeof pixel, "%02X%02X%02X%02X", RedOf(color), GreenOf(color),
                          BlueOf(color), alpha);
            text += (x ? " " : "") + std::string(pixel);
        }
        text += "\n";
    }
    return text;
}

std::string DecodeOutcome(const SourceFormat& format, const Bytes& data)
{
    try {
        return PixelsText(DecodeSource(format, data));
    } catch (const Error& error) {
        return error.what();
    }
}

}  // namespace tessolo::test

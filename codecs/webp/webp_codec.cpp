#include "codecs/webp/webp_codec.h"

#include "platform/files.h"
#include "platform/raster_bytes.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

namespace tessolo {

namespace {

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using Demuxer = std::unique_ptr<WebPDemuxer, DemuxDeleter>;
struct IncrementalDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

// Throws for what reading the file's header found wrong.
void CheckHeaderStatus(VP8StatusCode status)
{
    if (status == VP8_STATUS_NOT_ENOUGH_DATA)
        throw WebpError("the file ends before its picture");
    if (status != VP8_STATUS_OK)
        throw WebpError("the file is not a WebP picture");
}

void CheckWebpSourceHead(std::span<const std::uint8_t> head, std::uint64_t size)
{
    WebPBitstreamFeatures features{};
    const VP8StatusCode status = WebPGetFeatures(head.data(), head.size(), &features);
    // A header that lies beyond the head is checked when the file is decoded.
    if (status == VP8_STATUS_NOT_ENOUGH_DATA && head.size() < size)
        return;
    CheckHeaderStatus(status);
    CheckBitmapSize(features.width, features.height, PixelFormat::Bits32);
}

// Decodes one frame's bitstream into `bitmap` with its top-left corner at
// (x, y); the frame lies inside the bitmap.
void DecodeFrameInto(const WebPData& frame, Bitmap& bitmap, int x, int y)
{
    const bool alpha = bitmap.Format() == PixelFormat::Bits32;
    std::uint8_t* start = bitmap.ScanLine(y) + std::size_t(x) * (alpha ? 4 : 3);
    const std::size_t room = std::size_t(bitmap.ScanLine(bitmap.Height() - 1) - start) + bitmap.Stride();
    const int stride = int(bitmap.Stride());
    const std::uint8_t* decoded =
        alpha ? WebPDecodeBGRAInto(frame.bytes, frame.size, start, room, stride)
              : WebPDecodeBGRInto(frame.bytes, frame.size, start, room, stride);
    if (!decoded)
        throw WebpError("the picture's data is damaged");
}

// The bounds of the steps in which a file read a row at a time is decoded.
constexpr std::size_t kFirstStepBytes = 4096, kLastStepBytes = std::size_t(1) << 20;
// Whether a file holds one lossy picture, from its features.
bool StillLossy(const WebPBitstreamFeatures& features)
{
    constexpr int kLossyFormat = 1;  // WebPBitstreamFeatures::format of a lossy picture
    return !features.has_animation && features.format == kLossyFormat;
}

// The first frame of a file and the canvas it is drawn on.
struct FirstFrame {
    int canvasWidth, canvasHeight;
    WebPData bits;  // within the file's bytes
    int x, y;       // its top-left corner on the canvas
    bool alpha;     // drawn with alpha: it has alpha or leaves part of the canvas uncovered
    bool stillLossy;  // the file holds one lossy picture, covering its canvas
};

FirstFrame ReadFirstFrame(std::span<const std::uint8_t> data)
{
    WebPBitstreamFeatures features{};
    CheckHeaderStatus(WebPGetFeatures(data.data(), data.size(), &features));
    const WebPData whole{data.data(), data.size()};
    Demuxer demux(WebPDemux(&whole));
    if (!demux)
        throw WebpError("the file's structure is damaged");
    FirstFrame first{};
    first.canvasWidth = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    first.canvasHeight = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    CheckBitmapSize(first.canvasWidth, first.canvasHeight, PixelFormat::Bits32);
    WebPIterator frame{};
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame))
        throw WebpError("the file holds no picture");
    const bool covers = frame.x_offset == 0 && frame.y_offset == 0 &&
                        frame.width == first.canvasWidth && frame.height == first.canvasHeight;
    const bool inside = frame.x_offset >= 0 && frame.y_offset >= 0 && frame.width > 0 &&
                        frame.height > 0 && frame.x_offset + frame.width <= first.canvasWidth &&
                        frame.y_offset + frame.height <= first.canvasHeight;
    first.bits = frame.fragment;
    first.x = frame.x_offset;
    first.y = frame.y_offset;
    first.alpha = frame.has_alpha || !covers;
    first.stillLossy = covers && StillLossy(features);
    WebPDemuxReleaseIterator(&frame);
    if (!inside)
        throw WebpError("the first frame lies outside the canvas");
    return first;
}

}  // namespace

WebpError::WebpError(const std::string& reason) : Error("WebP error: " + reason) {}

Bitmap DecodeWebpSource(std::span<const std::uint8_t> data)
{
    const FirstFrame frame = ReadFirstFrame(data);
    Bitmap bitmap(frame.canvasWidth, frame.canvasHeight,
                  frame.alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    bitmap.HasAlpha = frame.alpha;
    // What the frame leaves uncovered is transparent white, as in GIF sources.
    if (frame.alpha)
        for (int row = 0; row < bitmap.Height(); ++row)
            for (int column = 0; column < bitmap.Width(); ++column)
                bitmap.ScanLine(row)[column * 4 + 3] = 0;
    DecodeFrameInto(frame.bits, bitmap, frame.x, frame.y);
    return bitmap;
}

void DecodeWebpSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows,
                          std::size_t bandBytes)
{
    const FirstFrame frame = ReadFirstFrame(data);
    if (!frame.stillLossy) {
        HandRowsOf(DecodeWebpSource(data), rows);
        return;
    }
    const int width = frame.canvasWidth, height = frame.canvasHeight;
    const std::size_t stride = std::size_t(width) * (frame.alpha ? 4 : 3);
    // The decoder writes into a raster of the picture's size whose rows are
    // given back to the system once handed on: only the rows that one step
    // decodes take memory.
    RasterBytes decoded;
    decoded.Resize(stride * std::size_t(height));
    WebPDecBuffer output;
    if (!WebPInitDecBuffer(&output))
        throw WebpError("the decoder does not match its header");
    output.colorspace = frame.alpha ? MODE_BGRA : MODE_BGR;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = decoded.data();
    output.u.RGBA.stride = int(stride);
    output.u.RGBA.size = decoded.size();
    std::unique_ptr<WebPIDecoder, IncrementalDeleter> decoder(WebPINewDecoder(&output));
    if (!decoder)
        throw WebpError("out of memory");
    Bitmap row(width, 1, frame.alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    row.HasAlpha = frame.alpha;
    rows.start(width, height);
    // The decoder is given the frame's bytes, as a whole decode is: data
    // beyond them never makes up for a picture cut short.
    const std::span<const std::uint8_t> bits(frame.bits.bytes, frame.bits.size);
    // A step that decodes more than `bandBytes` of rows halves the next, one
    // that decodes under a quarter of it doubles it; steps that decode none
    // yet (the picture's modes come first) keep their size, lest the rows
    // then come all at once.
    std::size_t given = 0, released = 0, step = kFirstStepBytes;
    for (int handed = 0; handed < height;) {
        if (given == bits.size())
            throw WebpError("the picture's data is damaged");
        given = std::min(bits.size(), given + step);
        const VP8StatusCode status = WebPIUpdate(decoder.get(), bits.data(), given);
        if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED)
            throw WebpError("the picture's data is damaged");
        int decodedRows = 0;
        if (!WebPIDecGetRGB(decoder.get(), &decodedRows, nullptr, nullptr, nullptr))
            decodedRows = 0;  // the picture's header is not read yet
        const int ready = std::min(decodedRows, height);
        const std::size_t stepBytes = std::size_t(std::max(0, ready - handed)) * stride;
        if (stepBytes > bandBytes)
            step = std::max<std::size_t>(step / 2, 1);
        else if (stepBytes > 0 && stepBytes < bandBytes / 4)
            step = std::min(step * 2, kLastStepBytes);
        for (; handed < ready; ++handed) {
            std::memcpy(row.ScanLine(0), decoded.data() + std::size_t(handed) * stride, stride);
            rows.row(handed, row);
        }
        released = decoded.Discard(released, std::size_t(handed) * stride);
    }
}

bool WebpSourceReadsRows(const std::string& path)
{
    try {
        const Bytes head = ReadableFile(path).Head(kSourceHeadBytes);
        WebPBitstreamFeatures features{};
        return WebPGetFeatures(head.data(), head.size(), &features) == VP8_STATUS_OK &&
               StillLossy(features);
    } catch (const std::exception&) {
        return false;  // reading it whole says what is wrong
    }
}

const SourceFormat kWebpSource = {"WebP", kMaxWebpSourceFileBytes, CheckWebpSourceHead,
                                  DecodeWebpSource};

Bitmap LoadWebpSource(const std::string& path) { return LoadSource(kWebpSource, path); }

void LoadWebpSourceRows(const std::string& path, const SourceRows& rows)
{
    DecodeWebpSourceRows(ReadSourceFile(kWebpSource, path), rows);
}

}  // namespace tessolo

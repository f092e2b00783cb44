#include "codecs/webp/webp_codec.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>

namespace tessolo {

namespace {

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using Demuxer = std::unique_ptr<WebPDemuxer, DemuxDeleter>;

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

}  // namespace

WebpError::WebpError(const std::string& reason) : Error("WebP error: " + reason) {}

Bitmap DecodeWebpSource(std::span<const std::uint8_t> data)
{
    WebPBitstreamFeatures features{};
    CheckHeaderStatus(WebPGetFeatures(data.data(), data.size(), &features));
    const WebPData whole{data.data(), data.size()};
    Demuxer demux(WebPDemux(&whole));
    if (!demux)
        throw WebpError("the file's structure is damaged");
    const int width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const int height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    CheckBitmapSize(width, height, PixelFormat::Bits32);
    WebPIterator frame{};
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame))
        throw WebpError("the file holds no picture");
    const bool covers = frame.x_offset == 0 && frame.y_offset == 0 && frame.width == width &&
                        frame.height == height;
    const bool alpha = frame.has_alpha || !covers;
    const bool inside = frame.x_offset >= 0 && frame.y_offset >= 0 && frame.width > 0 &&
                        frame.height > 0 && frame.x_offset + frame.width <= width &&
                        frame.y_offset + frame.height <= height;
    const WebPData bits = frame.fragment;
    const int x = frame.x_offset, y = frame.y_offset;
    WebPDemuxReleaseIterator(&frame);
    if (!inside)
        throw WebpError("the first frame lies outside the canvas");
    Bitmap bitmap(width, height, alpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    bitmap.HasAlpha = alpha;
    // What the frame leaves uncovered is transparent white, as in GIF sources.
    if (alpha)
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                bitmap.ScanLine(row)[column * 4 + 3] = 0;
    DecodeFrameInto(bits, bitmap, x, y);
    return bitmap;
}

const SourceFormat kWebpSource = {"WebP", kMaxWebpSourceFileBytes, CheckWebpSourceHead,
                                  DecodeWebpSource};

Bitmap LoadWebpSource(const std::string& path) { return LoadSource(kWebpSource, path); }

}  // namespace tessolo

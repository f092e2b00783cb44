#include "codecs/jpeg/jpeg_image.h"

#include "codecs/jpeg/jpeg_error_manager.h"
#include "codecs/jpeg/jpeg_memory_managers.h"

#include <vector>

namespace tessolo {

namespace {

// One compression; see DecompressSession for why it lives outside the
// guarded step.
struct CompressSession {
    jpeg_compress_struct cinfo{};
    JpegErrorManager errors{};
    MemoryDestination destination{};

    CompressSession() { cinfo.err = InstallErrorManager(errors); }
    ~CompressSession() { jpeg_destroy_compress(&cinfo); }
    CompressSession(const CompressSession&) = delete;
    CompressSession& operator=(const CompressSession&) = delete;
};

struct CompressJob {
    const Bitmap* bitmap;
    int quality;
    bool progressive;
    std::uint8_t* rowBuffer;  // one 24-bit row for formats the library cannot take directly
    Bytes* out;
};

void ConvertRowToBgr(const Bitmap& bitmap, int y, std::uint8_t* bgr)
{
    for (int x = 0; x < bitmap.Width(); ++x, bgr += 3) {
        ColorRef color = bitmap.Pixel(x, y);
        bgr[0] = BlueOf(color);
        bgr[1] = GreenOf(color);
        bgr[2] = RedOf(color);
    }
}

// Guarded step: the whole compression.
bool CompressRows(CompressSession& session, const CompressJob& job)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_compress_struct& cinfo = session.cinfo;
    const Bitmap& bitmap = *job.bitmap;
    jpeg_create_compress(&cinfo);
    AttachMemoryDestination(&cinfo, session.destination, *job.out);
    cinfo.image_width = JDIMENSION(bitmap.Width());
    cinfo.image_height = JDIMENSION(bitmap.Height());
    // 24 and 32-bit rows go to the library as they are, in their blue,
    // green, red order; other formats pass through the row buffer.
    bool fourBytes = bitmap.Format() == PixelFormat::Bits32;
    cinfo.input_components = fourBytes ? 4 : 3;
    cinfo.in_color_space = fourBytes ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    cinfo.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    if (job.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = int(cinfo.next_scanline);
        // The library only reads input rows; its row type is just not const.
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.ScanLine(y));
        if (job.rowBuffer) {
            ConvertRowToBgr(bitmap, y, job.rowBuffer);
            row = job.rowBuffer;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

}  // namespace

Bytes TJPEGImage::Compress(const Bitmap& bitmap) const
{
    Bytes out;
    if (bitmap.Empty())
        return out;
    bool direct = bitmap.Format() == PixelFormat::Bits24 || bitmap.Format() == PixelFormat::Bits32;
    std::vector<std::uint8_t> rowBuffer(direct ? 0 : std::size_t(bitmap.Width()) * 3);
    CompressSession session;
    CompressJob job{&bitmap, Quality, Progressive, direct ? nullptr : rowBuffer.data(), &out};
    if (!CompressRows(session, job))
        ThrowCaughtError(session.errors);
    return out;
}

}  // namespace tessolo

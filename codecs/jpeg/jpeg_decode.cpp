#include "codecs/jpeg/jpeg_image.h"

#include "codecs/jpeg/jpeg_error_manager.h"
#include "codecs/jpeg/jpeg_memory_managers.h"

#include <functional>
#include <span>
#include <vector>

namespace tessolo {

namespace {

// Real progressive files have a few dozen scans at most. A scan of a few
// bytes can revisit every block of the image (about 10 ns a block), so a
// small hostile file with thousands of scans would keep the decoder busy
// for minutes; files with more scans than this are refused.
constexpr int kMaxScans = 100;

// Most memory the library may take for one decompression. A progressive
// file keeps every coefficient, two bytes a sample: up to 2.7 times the
// raster for full-resolution CMYK. Beyond this the library stops with an
// error before it reads a scan, which keeps a decode's peak near twice the
// raster cap.
constexpr long kMaxLibraryMemory = long(kMaxBitmapBytes);

// One decompression: the library's state and our managers. It lives in the
// frame that calls the guarded steps, above their setjmp, so a fatal error
// jumps over none of it; the destructor frees the library's memory on
// every path.
struct DecompressSession {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    bool multipleScans = false;

    DecompressSession() { cinfo.err = InstallErrorManager(errors); }
    ~DecompressSession() { jpeg_destroy_decompress(&cinfo); }
    DecompressSession(const DecompressSession&) = delete;
    DecompressSession& operator=(const DecompressSession&) = delete;
};

void LimitScans(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        RaiseJpegError(cinfo, JERR_BAD_PROGRESSION, "The file has more scans than a picture needs");
}

// Guarded step: creates the decompressor and reads the header.
bool ReadHeader(DecompressSession& session, std::span<const std::uint8_t> data)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_create_decompress(&session.cinfo);
    session.cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    session.progress.progress_monitor = LimitScans;
    session.cinfo.progress = &session.progress;
    AttachMemorySource(&session.cinfo, session.source, data);
    jpeg_read_header(&session.cinfo, TRUE);
    session.multipleScans = jpeg_has_multiple_scans(&session.cinfo);
    return true;
}

void ConvertCmykRow(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted)
{
    // Adobe files store inverted CMYK (255 = no ink), so red = C * K / 255;
    // others store plain ink amounts, so red = (255 - C) * (255 - K) / 255.
    auto paper = [inverted](int sample) { return inverted ? sample : 255 - sample; };
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int k = paper(cmyk[3]);
        bgr[0] = std::uint8_t((paper(cmyk[2]) * k + 127) / 255);
        bgr[1] = std::uint8_t((paper(cmyk[1]) * k + 127) / 255);
        bgr[2] = std::uint8_t((paper(cmyk[0]) * k + 127) / 255);
    }
}

// Guarded step: decodes every row into `bitmap`, through `cmykRow` (room
// for one row of four-byte pixels) when the output is CMYK. A bitmap one
// pixel high takes each row in turn, and `rowDone` hands it on.
bool DecompressRows(DecompressSession& session, Bitmap& bitmap, std::uint8_t* cmykRow,
                    const std::function<void(int y)>& rowDone)
{
    if (setjmp(session.errors.jump))
        return false;
    jpeg_decompress_struct& cinfo = session.cinfo;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = int(cinfo.output_scanline);
        std::uint8_t* out = bitmap.ScanLine(bitmap.Height() == 1 ? 0 : y);
        JSAMPROW row = cmykRow ? cmykRow : out;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmykRow)
            ConvertCmykRow(cmykRow, out, bitmap.Width(), cinfo.saw_Adobe_marker);
        if (rowDone)
            rowDone(y);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

const std::vector<ColorRef>& GreyPalette()
{
    static const std::vector<ColorRef> palette = [] {
        std::vector<ColorRef> grey(256);
        for (int i = 0; i < 256; ++i)
            grey[std::size_t(i)] = MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i));
        return grey;
    }();
    return palette;
}

}  // namespace

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> data)
{
    DecompressSession session;
    if (!ReadHeader(session, data))
        ThrowCaughtError(session.errors);
    const jpeg_decompress_struct& cinfo = session.cinfo;
    JpegHeader header{int(cinfo.image_width), int(cinfo.image_height), session.multipleScans};
    header.headerBytes = data.size() - cinfo.src->bytes_in_buffer;
    // A Huffman code has at least one bit, and a scan that starts with the
    // DC coefficients codes each of them, for every block of its components.
    if (!cinfo.arith_code && cinfo.Ss == 0)
        for (int i = 0; i < cinfo.comps_in_scan; ++i)
            header.leastScanBits += std::uint64_t(cinfo.cur_comp_info[i]->width_in_blocks) *
                                    cinfo.cur_comp_info[i]->height_in_blocks;
    return header;
}

void TJPEGImage::LoadFromBytes(Bytes data)
{
    JpegHeader header = ReadJpegHeader(data);
    width_ = header.width;
    height_ = header.height;
    multipleScans_ = header.multipleScans;
    data_ = std::move(data);
}

namespace {

// Decodes `data` into `bitmap`, the whole picture, or with `rows` one row
// at a time that `rows` is handed.
void Decode(std::span<const std::uint8_t> data, const SourceRows* rows, Bitmap& bitmap)
{
    DecompressSession session;
    if (!ReadHeader(session, data))
        ThrowCaughtError(session.errors);
    jpeg_decompress_struct& cinfo = session.cinfo;
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE: cinfo.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: cinfo.out_color_space = JCS_CMYK; break;
    // Rows come out in the bitmap's own blue, green, red order. The library
    // refuses colour spaces it cannot convert.
    default: cinfo.out_color_space = JCS_EXT_BGR; break;
    }

    // The raster is sized, and refused when too large, before the library
    // allocates its buffers in jpeg_start_decompress. That also bounds those
    // buffers: a progressive file's coefficients take two bytes per sample,
    // a few times the raster at most.
    const int width = int(cinfo.image_width), height = int(cinfo.image_height);
    bool grey = cinfo.out_color_space == JCS_GRAYSCALE;
    CheckBitmapSize(width, height, grey ? PixelFormat::Bits8 : PixelFormat::Bits24);
    bitmap = Bitmap(width, rows ? 1 : height, grey ? PixelFormat::Bits8 : PixelFormat::Bits24);
    if (grey)
        bitmap.SetPalette(GreyPalette());
    std::vector<std::uint8_t> cmykRow;
    if (cinfo.out_color_space == JCS_CMYK)
        cmykRow.resize(std::size_t(cinfo.image_width) * 4);
    std::function<void(int)> done;
    if (rows) {
        rows->start(width, height);
        done = [rows, &bitmap](int y) { rows->row(y, bitmap); };
    }
    if (!DecompressRows(session, bitmap, cmykRow.empty() ? nullptr : cmykRow.data(), done))
        ThrowCaughtError(session.errors);
}

}  // namespace

Bitmap DecodeJpeg(std::span<const std::uint8_t> data)
{
    Bitmap bitmap;
    Decode(data, nullptr, bitmap);
    return bitmap;
}

void DecodeJpegRows(std::span<const std::uint8_t> data, const SourceRows& rows)
{
    Bitmap row;
    Decode(data, &rows, row);
}

}  // namespace tessolo

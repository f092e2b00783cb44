// The WebP codec as the sprite build uses it: decoding a source file to a
// bitmap and encoding a finished sheet.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/error.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// "WebP error: <reason>", for every file the codec refuses.
class WebpError : public Error {
public:
    explicit WebpError(const std::string& reason);
};

// Decodes a WebP source, still or animated; of an animation only the first
// frame is drawn, on the animation's canvas. A picture with alpha, or a
// first frame that leaves part of the canvas uncovered (transparent there),
// gives a 32-bit bitmap with straight alpha; any other a 24-bit one. A
// canvas whose 32-bit bitmap would pass the raster cap is refused before
// anything is decoded. Throws WebpError or Error.
Bitmap DecodeWebpSource(std::span<const std::uint8_t> data);

// The largest WebP source file: twice the raster cap. Lossless data of a
// picture within the cap rarely reaches its raster's size, and lossy data
// stays far below; the rest is room for metadata and later frames.
inline constexpr std::uint64_t kMaxWebpSourceFileBytes = 2 * std::uint64_t(kMaxBitmapBytes);

// WebP sources as the build reads them: the container and the canvas size
// are checked from the file's first bytes, and its size, before it is read.
extern const SourceFormat kWebpSource;

// Reads and decodes a WebP source file through kWebpSource.
Bitmap LoadWebpSource(const std::string& path);

// About the bytes of rows held at a time when a source is read a row at a
// time: the file is decoded in steps that give about that many.
inline constexpr std::size_t kWebpRowsBandBytes = std::size_t(4) << 20;

// The pixels DecodeWebpSource gives, a row at a time. A still lossy
// picture is never held whole: its file is decoded step by step and each
// step's rows, about `bandBytes` of them, are handed on. Lossless pictures,
// which libwebp's decoder holds whole in any case, and animations are
// decoded whole first.
void DecodeWebpSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows,
                          std::size_t bandBytes = kWebpRowsBandBytes);

// Reads a WebP source file through kWebpSource and hands its rows on.
void LoadWebpSourceRows(const std::string& path, const SourceRows& rows);

// Whether the file's head shows a still lossy picture, the one kind that
// reading a row at a time keeps from being held whole.
bool WebpSourceReadsRows(const std::string& path);

// How a sheet is written as WebP.
struct WebpSheetOptions {
    int quality = 0;  // 0: lossless, every pixel exact; 1-100: lossy of that quality

    friend bool operator==(const WebpSheetOptions&, const WebpSheetOptions&) = default;
};

// The largest WebP picture: 16383 pixels a side.
inline constexpr int kMaxWebpSide = 16383;

// Encodes a sheet, with alpha when the sheet has alpha. A sheet without
// pixels has no WebP form: the result is empty. Throws SheetTooLargeError for
// a sheet beyond kMaxWebpSide, WebpError when the encoder fails.
Bytes EncodeWebpSheet(const Bitmap& sheet, const WebpSheetOptions& options);

}  // namespace tessolo

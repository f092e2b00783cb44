// How the build reads a source image. The first bytes of a file are checked
// before its size, and its size before it is read whole, so a file that
// cannot be a picture the build takes is refused without being read.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/files.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace tessolo {

// The first bytes of a source that are checked before the rest is read.
inline constexpr std::size_t kSourceHeadBytes = 64 * 1024;

// Takes a source's pixels a row at a time, so that a large picture is never
// held whole: `start` with its size, then `row` for each row in order, as a
// bitmap one pixel high that holds what the whole decode gives in that row.
struct SourceRows {
    std::function<void(int width, int height)> start;
    std::function<void(int y, const Bitmap& row)> row;
};

// Hands the rows of a bitmap decoded whole on, as SourceRows takes them.
void HandRowsOf(const Bitmap& bitmap, const SourceRows& rows);

// One source format's rules and decoder.
struct SourceFormat {
    const char* name;  // as messages name the format: "PNG"
    // Larger files are refused unread: no picture within the raster cap
    // needs more.
    std::uint64_t maxFileBytes;
    // Throws the format's error when `head`, the first bytes of a source of
    // `size` bytes, shows that the source is no picture the build can take:
    // a wrong signature, a damaged header, a header whose picture passes the
    // caps or whose data cannot fit in `size` bytes. A header that lies
    // beyond `head` is left to `decode`.
    void (*checkHead)(std::span<const std::uint8_t> head, std::uint64_t size);
    // Decodes a whole source as the build draws it; throws the format's error.
    Bitmap (*decode)(std::span<const std::uint8_t> data);
};

// Checks the head of `data`, then decodes it: what LoadSource does once it
// has read a file.
Bitmap DecodeSource(const SourceFormat& format, std::span<const std::uint8_t> data);

// Checks the head of the file at `path`, then its size, then reads and
// decodes it. Throws FileOpenError when it cannot be read, and Error naming
// it when it is larger than format.maxFileBytes.
Bitmap LoadSource(const SourceFormat& format, const std::string& path);
// The checks LoadSource makes of an open file before it reads it: its head,
// then its size.
void CheckSourceFile(const SourceFormat& format, const ReadableFile& file, const std::string& path);
// What LoadSource reads, with its checks, before it decodes.
Bytes ReadSourceFile(const SourceFormat& format, const std::string& path);

}  // namespace tessolo

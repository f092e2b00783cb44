#include "platform/source_file.h"

#include "platform/error.h"
#include "platform/files.h"

#include <algorithm>

namespace tessolo {

namespace {

// "2 GiB" for whole gibibytes, otherwise the number of bytes.
std::string Amount(std::uint64_t bytes)
{
    constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;
    if (bytes % kGiB == 0)
        return std::to_string(bytes / kGiB) + " GiB";
    return std::to_string(bytes) + " bytes";
}

Error TooLargeASource(const SourceFormat& format, const std::string& path)
{
    return Error("The file " + path + " is too large for a " + format.name + " source: it holds more than " +
                 Amount(format.maxFileBytes) + ", and no " + format.name + " picture within the " +
                 Amount(kMaxBitmapBytes) + " raster limit needs that much");
}

}  // namespace

void HandRowsOf(const Bitmap& bitmap, const SourceRows& rows)
{
    BitmapRow row(bitmap);
    rows.start(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y)
        rows.row(y, row.Of(y));
}

Bitmap DecodeSource(const SourceFormat& format, std::span<const std::uint8_t> data)
{
    format.checkHead(data.first(std::min(data.size(), kSourceHeadBytes)), data.size());
    return format.decode(data);
}

Bitmap LoadSource(const SourceFormat& format, const std::string& path)
{
    return format.decode(ReadSourceFile(format, path));
}

void CheckSourceFile(const SourceFormat& format, const ReadableFile& file, const std::string& path)
{
    format.checkHead(file.Head(kSourceHeadBytes), file.Size());
    if (file.Size() > format.maxFileBytes)
        throw TooLargeASource(format, path);
}

Bytes ReadSourceFile(const SourceFormat& format, const std::string& path)
{
    ReadableFile file(path);
    CheckSourceFile(format, file, path);
    std::optional<Bytes> data = file.ReadAll(format.maxFileBytes);
    if (!data)
        throw TooLargeASource(format, path);
    return std::move(*data);
}

}  // namespace tessolo

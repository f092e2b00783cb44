// The check of the fuzzers whose format the build also writes: arbitrary
// bytes go to the build's source reader, with its own checks and limits, and
// a picture of at most `maxPixels` that decodes is written as a sheet, which
// must read back.
#pragma once

#include "platform/error.h"
#include "platform/source_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace tessolo {

template <class EncodeSheet>
int DecodeAndWriteBack(const SourceFormat& format, std::span<const std::uint8_t> data, std::size_t maxPixels,
                       EncodeSheet&& encodeSheet)
{
    Bitmap picture;
    try {
        picture = DecodeSource(format, data);
    } catch (const Error&) {
        return 0;  // refusing damaged input is the expected outcome
    }
    if (std::size_t(picture.Width()) * std::size_t(picture.Height()) > maxPixels)
        return 0;
    Bytes sheet;
    try {
        sheet = encodeSheet(picture);
    } catch (const SheetTooLargeError&) {
        return 0;  // a side the format can read but a sheet may not have
    }
    try {
        DecodeSource(format, sheet);
    } catch (const Error&) {
        std::abort();  // a sheet the build writes must always read back
    }
    return 0;
}

}  // namespace tessolo

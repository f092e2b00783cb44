// Compares a decoder's reading a row at a time with its whole reading, for
// tests and fuzzers: the same rows in order, or the same failure.
#pragma once

#include "platform/bitmap.h"
#include "platform/error.h"
#include "platform/source_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>

namespace tessolo::test {

struct RowReading {
    // The Error each reading threw; empty when none. Other exceptions pass.
    std::string wholeError, rowsError;
    // Whether the rows handed over, in order, were every row of the whole
    // reading with its size, form and bytes.
    bool sameRows = false;
};

inline RowReading CompareRowReading(const std::function<Bitmap()>& whole,
                                    const std::function<void(const SourceRows&)>& byRows)
{
    auto errorOf = [](const auto& read) -> std::string {
        try {
            read();
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    };
    RowReading reading;
    Bitmap picture;
    reading.wholeError = errorOf([&] { picture = whole(); });
    bool alike = true, started = false;
    int seen = 0;
    reading.rowsError = errorOf([&] {
        byRows({[&](int width, int height) {
                    alike = alike && !started && width == picture.Width() &&
                            height == picture.Height();
                    started = true;
                },
                [&](int y, const Bitmap& row) {
                    alike = alike && started && y == seen++ && y < picture.Height() &&
                            row.Width() == picture.Width() && row.Height() == 1 &&
                            row.Format() == picture.Format() && row.HasAlpha == picture.HasAlpha &&
                            row.Palette() == picture.Palette() &&
                            std::memcmp(row.ScanLine(0), picture.ScanLine(y),
                                        RowBytes(row.Width(), row.Format())) == 0;
                }});
    });
    reading.sameRows = alike && seen == picture.Height();
    return reading;
}

// For fuzzers: aborts unless reading `data` a row at a time by `decodeRows`,
// after the format's check of its head, gives the rows of the whole reading
// or fails as it does.
inline void AbortUnlessRowsMatch(
    const SourceFormat& format, std::span<const std::uint8_t> data,
    const std::function<void(std::span<const std::uint8_t>, const SourceRows&)>& decodeRows)
{
    const std::span<const std::uint8_t> head = data.first(std::min(data.size(), kSourceHeadBytes));
    const RowReading reading = CompareRowReading([&] { return DecodeSource(format, data); },
                                                 [&](const SourceRows& rows) {
                                                     format.checkHead(head, data.size());
                                                     decodeRows(data, rows);
                                                 });
    if (reading.rowsError != reading.wholeError || (reading.wholeError.empty() && !reading.sameRows))
        std::abort();
}

}  // namespace tessolo::test

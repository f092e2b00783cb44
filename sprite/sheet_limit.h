// The largest sheet a build may write. Images that do not fit one sheet of
// that size go on as many numbered sheets as they need: NAME-1.png,
// NAME-2.png, ...
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessolo {

struct SheetLimit {
    std::int32_t width = 0;   // pixels; 0: no limit
    std::int32_t height = 0;  // pixels; 0: no limit

    bool Limits() const { return width > 0 || height > 0; }
    // Whether a sheet of `w` x `h` pixels keeps within the limit.
    bool Holds(std::int32_t w, std::int32_t h) const
    {
        return (width <= 0 || w <= width) && (height <= 0 || h <= height);
    }
    friend bool operator==(const SheetLimit&, const SheetLimit&) = default;
};

// "4096x2048", or "none" without a limit.
std::string SheetLimitText(const SheetLimit& limit);

// The base name of the numbered sheet `number` (from 1) of `project`: "sprite-2".
std::string NumberedSheetName(std::string_view project, std::size_t number);

// Whether `baseName` is a numbered sheet's base name of `project`
// ("sprite-2"), or of its double-size sheet ("sprite-2@2x").
bool IsNumberedSheetName(std::string_view baseName, std::string_view project);

}  // namespace tessolo

// The data files a build can write beside its stylesheet, as the bits of
// the stored DataFormats value.
#pragma once

#include <cstdint>

namespace tessolo {

enum DataFormat : std::int32_t { kDataScss = 1, kDataLess = 2, kDataJson = 4 };

struct DataFormatInfo {
    DataFormat format;
    const char* word;  // command-line word and file extension: "scss"
};
inline constexpr DataFormatInfo kDataFormats[] = {
    {kDataScss, "scss"}, {kDataLess, "less"}, {kDataJson, "json"}};

}  // namespace tessolo

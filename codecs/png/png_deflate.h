// The zlib streams of the optimised encoder's image data.
#pragma once

#include "codecs/png/png_parallel.h"
#include "platform/bytes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace tessolo {

// Bytes of a DeflateInput: a view of data it holds, or bytes made when
// asked for. Not copied: a view into bytes made must not outlive them.
class InputBytes {
public:
    explicit InputBytes(std::span<const std::uint8_t> held) : held_(held) {}
    explicit InputBytes(Bytes made) : made_(std::move(made)) {}
    InputBytes(InputBytes&&) = default;
    InputBytes& operator=(InputBytes&&) = default;

    std::span<const std::uint8_t> View() const { return made_.empty() ? held_ : std::span(made_); }

private:
    std::span<const std::uint8_t> held_;
    Bytes made_;
};

// Data to compress, handed out a range at a time: held whole, or made when
// asked for, as the optimised encoder filters a sheet's rows, so that large
// image data is never held whole.
class DeflateInput {
public:
    virtual ~DeflateInput() = default;
    virtual std::size_t Size() const = 0;
    // Bytes [begin, end), end at most Size().
    virtual InputBytes Range(std::size_t begin, std::size_t end) const = 0;
};

// Data held whole.
class HeldInput final : public DeflateInput {
public:
    explicit HeldInput(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t Size() const override { return data_.size(); }
    InputBytes Range(std::size_t begin, std::size_t end) const override
    {
        return InputBytes(data_.subspan(begin, end - begin));
    }

private:
    std::span<const std::uint8_t> data_;
};

// The bytes that a compressor or a check reads of a DeflateInput at a time,
// from its start to its end.
inline constexpr std::size_t kInputPieceBytes = std::size_t(1) << 20;

// The Adler-32 checksum of a zlib stream's data, continuing from `adler`
// (1 for the first bytes).
std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler = 1);

// libdeflate's strongest level, and a quick one for comparing candidates.
inline constexpr int kStrongestDeflateLevel = 12;

// `data` compressed by libdeflate at `level` (1 to 12).
Bytes DeflateZlib(std::span<const std::uint8_t> data, int level);

// `data` compressed by zlib's level 9 (lazy matching along hash chains):
// larger than libdeflate's level 12 on most data, but on the rows of large
// icons on one background, which shrink some 200 times, up to 6 % smaller
// and many times faster (bench/README.md). `filtered` is zlib's strategy for
// filtered rows, which takes fewer short matches: often some bytes smaller.
// The data is read kInputPieceBytes at a time: zlib writes the same stream
// whatever pieces its input comes in.
Bytes DeflateZlibLazy(const DeflateInput& data, bool filtered);

// Zopfli's parts of the data (see DeflateZlibExhaustive). Its own master
// blocks, of 1 000 000 bytes, took 52 MB of working memory for every two at
// once; parts of 400 000 bytes, their blocks merged, make the large
// benchmark sheets smaller still (bench/README.md).
inline constexpr std::size_t kExhaustivePartBytes = 400000;

// `data` compressed by zopfli: slow, and some percent smaller. Zopfli is
// given a part of kExhaustivePartBytes at a time, each after the window
// before it, kPartsAtOnce at once, as it compresses its master blocks; their
// deflate data is joined into one stream, its blocks merged as
// MergeDeflateBlocks does. `checkpoint` is passed between parts (see
// RunInParallel).
Bytes DeflateZlibExhaustive(const DeflateInput& data, const Checkpoint& checkpoint = {});

// Deflate data as bits: the first `bits` of `bytes` (the rest are 0).
struct DeflateBits {
    Bytes bytes;
    std::size_t bits = 0;
};

// Appends `part` to `out` from bit `out.bits` on. Deflate data made from
// bit 0 whose first stored block's header ends at `alignedFrom` is made the
// same from any bit, but for the zero bits that align what follows to the
// stream's bytes: they are set again.
void AppendBits(DeflateBits& out, const DeflateBits& part, std::optional<std::size_t> alignedFrom = {});

}  // namespace tessolo

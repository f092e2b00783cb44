#include "codecs/png/png_deflate_blocks.h"

#include "codecs/png/png_deflate.h"
#include "codecs/png/png_stream.h"
#include "platform/error.h"

extern "C" {
#include <zopfli/tree.h>
}
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tessolo {

namespace {

// The tables of the deflate format (RFC 1951, 3.2.5 and 3.2.7).
constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                             33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr std::size_t kLitLenCodes = 286, kDistanceCodes = 30, kEndOfBlock = 256;
constexpr int kMaxCodeBits = 15, kMaxCodeLengthBits = 7;

using Symbol = DeflateSymbol;
using Blocks = DeflateBlocks;

// Thrown by the reader on anything it cannot read.
struct Unreadable {};

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : data_(data) {}

    unsigned Bits(int count)
    {
        unsigned value = 0;
        for (int i = 0; i < count; ++i, ++position_) {
            if (position_ >= data_.size() * 8)
                throw Unreadable{};
            value |= unsigned(data_[position_ >> 3] >> (position_ & 7) & 1) << i;
        }
        return value;
    }
    void ToByte() { position_ = (position_ + 7) & ~std::size_t(7); }
    std::size_t BitsRead() const { return position_; }
    std::size_t BytesRead() const { return (position_ + 7) / 8; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
};

// A canonical code for decoding: how many codes of each length, and the
// symbols in code order.
struct Decoder {
    std::array<std::uint16_t, kMaxCodeBits + 1> count{};
    std::vector<std::uint16_t> symbols;
};

Decoder DecoderOf(const unsigned* lengths, std::size_t n)
{
    Decoder decoder;
    for (std::size_t s = 0; s < n; ++s)
        ++decoder.count[lengths[s]];
    decoder.count[0] = 0;
    int left = 1;  // codes of the current length still free
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
        left = left * 2 - decoder.count[std::size_t(bits)];
        if (left < 0)
            throw Unreadable{};
    }
    for (int bits = 1; bits <= kMaxCodeBits; ++bits)
        for (std::size_t s = 0; s < n; ++s)
            if (lengths[s] == unsigned(bits))
                decoder.symbols.push_back(std::uint16_t(s));
    return decoder;
}

unsigned Decode(BitReader& in, const Decoder& decoder)
{
    int code = 0, first = 0, index = 0;
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
        code |= int(in.Bits(1));
        const int count = decoder.count[std::size_t(bits)];
        if (code - first < count)
            return decoder.symbols[std::size_t(index + code - first)];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    throw Unreadable{};
}

void ReadCodes(BitReader& in, unsigned* litLen, unsigned* distance)
{
    const unsigned litLenCount = in.Bits(5) + 257, distanceCount = in.Bits(5) + 1;
    const unsigned codeLengthCount = in.Bits(4) + 4;
    if (litLenCount > kLitLenCodes || distanceCount > kDistanceCodes)
        throw Unreadable{};
    unsigned codeLengths[19] = {};
    for (unsigned i = 0; i < codeLengthCount; ++i)
        codeLengths[kCodeLengthOrder[i]] = in.Bits(3);
    const Decoder lengthDecoder = DecoderOf(codeLengths, 19);
    std::vector<unsigned> lengths;
    while (lengths.size() < litLenCount + distanceCount) {
        const unsigned symbol = Decode(in, lengthDecoder);
        if (symbol < 16) {
            lengths.push_back(symbol);
            continue;
        }
        if (symbol == 16 && lengths.empty())
            throw Unreadable{};
        const unsigned value = symbol == 16 ? lengths.back() : 0;
        const unsigned repeat = symbol == 16 ? 3 + in.Bits(2) : symbol == 17 ? 3 + in.Bits(3) : 11 + in.Bits(7);
        lengths.insert(lengths.end(), repeat, value);
    }
    if (lengths.size() != litLenCount + distanceCount)
        throw Unreadable{};
    std::copy_n(lengths.begin(), litLenCount, litLen);
    std::copy_n(lengths.begin() + litLenCount, distanceCount, distance);
}

// Reads one block of a raw deflate stream, handing each literal and match
// to `add`; whether it was the stream's last block.
template <typename Add>
bool ReadBlock(BitReader& in, const Add& add)
{
    const bool last = in.Bits(1) != 0;
    const unsigned type = in.Bits(2);
    if (type == 0) {
        in.ToByte();
        const unsigned length = in.Bits(16);
        if (in.Bits(16) != (~length & 0xFFFF))
            throw Unreadable{};
        for (unsigned i = 0; i < length; ++i)
            add(Symbol{std::uint16_t(in.Bits(8)), 0});
        return last;
    }
    if (type == 3)
        throw Unreadable{};
    unsigned litLen[kLitLenCodes + 2] = {}, distance[kDistanceCodes] = {};
    if (type == 1) {
        std::fill_n(litLen, 144, 8);
        std::fill_n(litLen + 144, 112, 9);
        std::fill_n(litLen + 256, 24, 7);
        std::fill_n(litLen + 280, 8, 8);
        std::fill_n(distance, kDistanceCodes, 5);
    } else {
        ReadCodes(in, litLen, distance);
    }
    const Decoder litLens = DecoderOf(litLen, kLitLenCodes + 2);
    const Decoder distances = DecoderOf(distance, kDistanceCodes);
    for (;;) {
        const unsigned symbol = Decode(in, litLens);
        if (symbol < kEndOfBlock) {
            add(Symbol{std::uint16_t(symbol), 0});
            continue;
        }
        if (symbol == kEndOfBlock)
            return last;
        if (symbol >= 257 + 29)
            throw Unreadable{};
        const unsigned length = kLengthBase[symbol - 257] + in.Bits(kLengthExtra[symbol - 257]);
        const unsigned code = Decode(in, distances);
        if (code >= kDistanceCodes)
            throw Unreadable{};
        const unsigned back = kDistanceBase[code] + in.Bits(kDistanceExtra[code]);
        add(Symbol{std::uint16_t(length), std::uint16_t(back)});
    }
}

// Reads the blocks of the zlib stream `stream` of `data` into `blocks`,
// without the literals and matches of the first `lead` bytes (see
// ReadPartBlocks); `data` is read only for the bytes of a match that ends
// fewer than 3 bytes after the lead. Gives the number of bytes the stream
// makes, or nothing when it cannot be read to its end.
std::optional<std::size_t> ReadZlibBlocks(const Bytes& stream, std::span<const std::uint8_t> data,
                                          std::size_t lead, Blocks& blocks)
{
    const std::span<const std::uint8_t> raw = DeflateDataOf(stream);
    if (raw.empty())
        return std::nullopt;
    std::copy_n(stream.begin(), 2, blocks.header.begin());
    std::size_t made = 0;
    auto add = [&](Symbol symbol) {
        const std::size_t begin = made;
        made += symbol.distance == 0 ? 1 : symbol.litLen;
        if (made <= lead)
            return;
        if (begin >= lead) {
            blocks.symbols.push_back(symbol);
        } else if (made - lead >= 3) {
            blocks.symbols.push_back({std::uint16_t(made - lead), symbol.distance});
        } else {
            if (made > data.size())
                throw Unreadable{};
            for (std::size_t i = lead; i < made; ++i)
                blocks.symbols.push_back({data[i], 0});
        }
    };
    try {
        BitReader in(raw);
        for (bool last = false; !last;) {
            last = ReadBlock(in, add);
            // A block wholly within the lead leaves no block.
            if (blocks.symbols.size() > (blocks.ends.empty() ? 0 : blocks.ends.back()))
                blocks.ends.push_back(blocks.symbols.size());
        }
        if (in.BytesRead() != raw.size())
            return std::nullopt;
    } catch (const Unreadable&) {
        return std::nullopt;
    }
    return made;
}

unsigned LengthCode(unsigned length)
{
    return unsigned(std::upper_bound(std::begin(kLengthBase), std::end(kLengthBase), length) -
                    std::begin(kLengthBase)) - 1 + 257;
}

unsigned DistanceCode(unsigned distance)
{
    return unsigned(std::upper_bound(std::begin(kDistanceBase), std::end(kDistanceBase), distance) -
                    std::begin(kDistanceBase)) - 1;
}

// How often each code of a run of blocks is used, and the extra bits.
struct Histogram {
    std::array<std::size_t, kLitLenCodes> litLen{};
    std::array<std::size_t, kDistanceCodes> distance{};
    std::uint64_t extraBits = 0;

    void Add(const Histogram& other)
    {
        for (std::size_t s = 0; s < kLitLenCodes; ++s)
            litLen[s] += other.litLen[s];
        for (std::size_t s = 0; s < kDistanceCodes; ++s)
            distance[s] += other.distance[s];
        extraBits += other.extraBits;
        litLen[kEndOfBlock] = 1;
    }
};

Histogram HistogramOf(const Symbol* begin, const Symbol* end)
{
    Histogram histogram;
    for (const Symbol* s = begin; s != end; ++s) {
        if (s->distance == 0) {
            ++histogram.litLen[s->litLen];
            continue;
        }
        const unsigned length = LengthCode(s->litLen), distance = DistanceCode(s->distance);
        ++histogram.litLen[length];
        ++histogram.distance[distance];
        histogram.extraBits += kLengthExtra[length - 257] + kDistanceExtra[distance];
    }
    histogram.litLen[kEndOfBlock] = 1;
    return histogram;
}

// A code-length symbol with the value of its extra bits.
struct LengthSymbol {
    std::uint8_t symbol;
    std::uint8_t extra;
};
constexpr int kLengthSymbolExtraBits[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};

// The code of one block and the table that describes it.
struct BlockCode {
    std::array<unsigned, kLitLenCodes> litLen{};
    std::array<unsigned, kDistanceCodes> distance{};
    unsigned litLenCount = 257, distanceCount = 1, codeLengthCount = 4;
    std::vector<LengthSymbol> table;  // both codes' lengths, runs shortened
    std::array<unsigned, 19> tableCode{};
    std::uint64_t bits = 0;  // of the whole block
};

// The lengths of `lengths` as code-length symbols, runs written with 16
// (repeat the previous 3-6 times), 17 (3-10 zeros) and 18 (11-138 zeros).
std::vector<LengthSymbol> RunLengths(const std::vector<unsigned>& lengths)
{
    std::vector<LengthSymbol> table;
    for (std::size_t i = 0; i < lengths.size();) {
        const unsigned value = lengths[i];
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == value)
            ++run;
        i += run;
        if (value == 0) {
            for (; run >= 11; run -= std::min<std::size_t>(run, 138))
                table.push_back({18, std::uint8_t(std::min<std::size_t>(run, 138) - 11)});
            if (run >= 3) {
                table.push_back({17, std::uint8_t(run - 3)});
                run = 0;
            }
        } else {
            table.push_back({std::uint8_t(value), 0});
            for (--run; run >= 3; run -= std::min<std::size_t>(run, 6))
                table.push_back({16, std::uint8_t(std::min<std::size_t>(run, 6) - 3)});
        }
        table.insert(table.end(), run, LengthSymbol{std::uint8_t(value), 0});
    }
    return table;
}

// A code of one length for one symbol alone is incomplete, which decoders
// refuse for the table's code and some for distances: a second symbol of
// one bit completes it (none gives two).
void GiveTwoCodes(unsigned* lengths, std::size_t n)
{
    const auto used = std::count_if(lengths, lengths + n, [](unsigned l) { return l > 0; });
    if (used >= 2)
        return;
    if (used == 0)
        lengths[0] = lengths[1] = 1;
    else
        lengths[lengths[0] == 0 ? 0 : 1] = 1;
}

// The number of codes up to the last used one.
unsigned UsedCount(const unsigned* lengths, unsigned n)
{
    while (n > 1 && lengths[n - 1] == 0)
        --n;
    return n;
}

BlockCode CodeOf(const Histogram& histogram)
{
    BlockCode code;
    ZopfliCalculateBitLengths(histogram.litLen.data(), kLitLenCodes, kMaxCodeBits, code.litLen.data());
    ZopfliCalculateBitLengths(histogram.distance.data(), kDistanceCodes, kMaxCodeBits, code.distance.data());
    GiveTwoCodes(code.distance.data(), kDistanceCodes);
    code.litLenCount = std::max(257u, UsedCount(code.litLen.data(), kLitLenCodes));
    code.distanceCount = UsedCount(code.distance.data(), kDistanceCodes);
    std::vector<unsigned> lengths(code.litLen.begin(), code.litLen.begin() + code.litLenCount);
    lengths.insert(lengths.end(), code.distance.begin(), code.distance.begin() + code.distanceCount);
    code.table = RunLengths(lengths);
    std::array<std::size_t, 19> counts{};
    for (const LengthSymbol& entry : code.table)
        ++counts[entry.symbol];
    ZopfliCalculateBitLengths(counts.data(), 19, kMaxCodeLengthBits, code.tableCode.data());
    GiveTwoCodes(code.tableCode.data(), 19);
    code.codeLengthCount = 19;
    while (code.codeLengthCount > 4 && code.tableCode[kCodeLengthOrder[code.codeLengthCount - 1]] == 0)
        --code.codeLengthCount;

    std::uint64_t bits = 3 + 5 + 5 + 4 + 3 * std::uint64_t(code.codeLengthCount) + histogram.extraBits;
    for (const LengthSymbol& entry : code.table)
        bits += code.tableCode[entry.symbol] + unsigned(kLengthSymbolExtraBits[entry.symbol]);
    for (std::size_t s = 0; s < kLitLenCodes; ++s)
        bits += std::uint64_t(histogram.litLen[s]) * code.litLen[s];
    for (std::size_t s = 0; s < kDistanceCodes; ++s)
        bits += std::uint64_t(histogram.distance[s]) * code.distance[s];
    code.bits = bits;
    return code;
}

class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}

    void Put(std::uint32_t value, int bits)
    {
        buffer_ |= std::uint64_t(value) << count_;
        count_ += bits;
        for (; count_ >= 8; count_ -= 8, buffer_ >>= 8)
            out_.push_back(std::uint8_t(buffer_));
    }
    // A Huffman code, written from its first bit.
    void PutCode(unsigned code, unsigned bits)
    {
        unsigned reversed = 0;
        for (unsigned i = 0; i < bits; ++i)
            reversed |= (code >> i & 1) << (bits - 1 - i);
        Put(reversed, int(bits));
    }
    std::size_t Bits() const { return out_.size() * 8 + std::size_t(count_); }
    void Finish()
    {
        if (count_ > 0)
            out_.push_back(std::uint8_t(buffer_));
        buffer_ = 0;
        count_ = 0;
    }

private:
    Bytes& out_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

void WriteBlock(BitWriter& out, const BlockCode& code, const Symbol* begin, const Symbol* end, bool last)
{
    std::array<unsigned, kLitLenCodes> litLen{};
    std::array<unsigned, kDistanceCodes> distance{};
    std::array<unsigned, 19> table{};
    ZopfliLengthsToSymbols(code.litLen.data(), kLitLenCodes, kMaxCodeBits, litLen.data());
    ZopfliLengthsToSymbols(code.distance.data(), kDistanceCodes, kMaxCodeBits, distance.data());
    ZopfliLengthsToSymbols(code.tableCode.data(), 19, kMaxCodeLengthBits, table.data());
    out.Put(last ? 1 : 0, 1);
    out.Put(2, 2);
    out.Put(code.litLenCount - 257, 5);
    out.Put(code.distanceCount - 1, 5);
    out.Put(code.codeLengthCount - 4, 4);
    for (unsigned i = 0; i < code.codeLengthCount; ++i)
        out.Put(code.tableCode[kCodeLengthOrder[i]], 3);
    for (const LengthSymbol& entry : code.table) {
        out.PutCode(table[entry.symbol], code.tableCode[entry.symbol]);
        out.Put(entry.extra, kLengthSymbolExtraBits[entry.symbol]);
    }
    for (const Symbol* s = begin; s != end; ++s) {
        if (s->distance == 0) {
            out.PutCode(litLen[s->litLen], code.litLen[s->litLen]);
            continue;
        }
        const unsigned length = LengthCode(s->litLen), back = DistanceCode(s->distance);
        out.PutCode(litLen[length], code.litLen[length]);
        out.Put(s->litLen - kLengthBase[length - 257], kLengthExtra[length - 257]);
        out.PutCode(distance[back], code.distance[back]);
        out.Put(s->distance - kDistanceBase[back], kDistanceExtra[back]);
    }
    out.PutCode(litLen[kEndOfBlock], code.litLen[kEndOfBlock]);
}

// A run of merged blocks: its symbols and the code that would write them.
struct Run {
    std::size_t begin, end;
    Histogram histogram;
    std::uint64_t bits;
};

// Merges the neighbours that gain most, one pair at a time, while any pair
// gains.
std::vector<Run> MergedRuns(const Blocks& blocks)
{
    std::vector<Run> runs;
    std::size_t begin = 0;
    for (std::size_t end : blocks.ends) {
        Histogram histogram = HistogramOf(blocks.symbols.data() + begin, blocks.symbols.data() + end);
        const std::uint64_t bits = CodeOf(histogram).bits;
        runs.push_back({begin, end, histogram, bits});
        begin = end;
    }
    auto gainOf = [&](std::size_t i) {
        Histogram both = runs[i].histogram;
        both.Add(runs[i + 1].histogram);
        return std::int64_t(runs[i].bits + runs[i + 1].bits) - std::int64_t(CodeOf(both).bits);
    };
    std::vector<std::int64_t> gains;
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
        gains.push_back(gainOf(i));
    while (!gains.empty()) {
        const std::size_t i = std::size_t(std::max_element(gains.begin(), gains.end()) - gains.begin());
        if (gains[i] <= 0)
            break;
        runs[i].histogram.Add(runs[i + 1].histogram);
        runs[i].bits = CodeOf(runs[i].histogram).bits;
        runs[i].end = runs[i + 1].end;
        runs.erase(runs.begin() + std::ptrdiff_t(i) + 1);
        gains.erase(gains.begin() + std::ptrdiff_t(i));
        if (i < gains.size())
            gains[i] = gainOf(i);
        if (i > 0)
            gains[i - 1] = gainOf(i - 1);
    }
    return runs;
}

// Whether the zlib stream `stream` inflates to `size` bytes that match its
// checksum (zlib checks it), and that are `data` when given.
bool InflatesTo(const Bytes& stream, std::size_t size, const DeflateInput* data)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    std::unique_ptr<z_stream, decltype(&inflateEnd)> owned(&z, &inflateEnd);
    std::size_t compared = 0;
    z.next_in = const_cast<Bytef*>(stream.data());
    std::size_t left = stream.size();
    int result = Z_OK;
    Bytes chunk(kInputPieceBytes);
    while (result == Z_OK) {
        if (z.avail_in == 0) {
            z.avail_in = uInt(std::min<std::size_t>(left, 1u << 30));
            left -= z.avail_in;
        }
        z.next_out = chunk.data();
        z.avail_out = uInt(chunk.size());
        result = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = chunk.size() - z.avail_out;
        if (produced == 0)
            continue;
        if (compared + produced > size)
            return false;
        if (data) {
            const InputBytes expected = data->Range(compared, compared + produced);
            if (std::memcmp(chunk.data(), expected.View().data(), produced) != 0)
                return false;
        }
        compared += produced;
    }
    return result == Z_STREAM_END && compared == size;
}

// A zlib stream of `header`, the blocks merged, and `checksum`.
// Writes the blocks merged, the last one marked as the stream's last when
// `last`.
void WriteRuns(BitWriter& out, const Blocks& blocks, bool last)
{
    const std::vector<Run> runs = MergedRuns(blocks);
    for (std::size_t i = 0; i < runs.size(); ++i)
        WriteBlock(out, CodeOf(runs[i].histogram), blocks.symbols.data() + runs[i].begin,
                   blocks.symbols.data() + runs[i].end, last && i + 1 == runs.size());
}

Bytes WriteMerged(const Blocks& blocks, std::span<const std::uint8_t> header,
                  std::span<const std::uint8_t> checksum)
{
    Bytes merged(header.begin(), header.end());
    BitWriter out(merged);
    WriteRuns(out, blocks, true);
    out.Finish();
    merged.insert(merged.end(), checksum.begin(), checksum.end());
    return merged;
}

}  // namespace

Bytes MergeDeflateBlocks(const Bytes& stream, const DeflateInput& data)
{
    Blocks blocks;
    if (stream.size() > data.Size() / kMergeMinRatio || ReadZlibBlocks(stream, {}, 0, blocks) != data.Size() ||
        blocks.ends.size() < 2)
        return stream;
    const std::span<const std::uint8_t> all(stream);
    Bytes merged = WriteMerged(blocks, all.first(2), all.last(4));
    if (merged.size() >= stream.size() || !InflatesTo(merged, data.Size(), &data))
        return stream;
    return merged;
}

bool InflatesToItsChecksum(const Bytes& stream, std::size_t size) { return InflatesTo(stream, size, nullptr); }

std::optional<DeflateBlocks> ReadPartBlocks(const Bytes& stream, std::span<const std::uint8_t> data,
                                            std::size_t lead)
{
    Blocks blocks;
    if (ReadZlibBlocks(stream, data, lead, blocks) != data.size())
        return std::nullopt;
    blocks.adler = Adler32(data.subspan(lead));
    blocks.bytes = data.size() - lead;
    return blocks;
}

void WriteOnItsOwn(DeflateBlocks& part, bool last)
{
    part.written = {};
    BitWriter out(part.written.bytes);
    WriteRuns(out, part, last);
    part.written.bits = out.Bits();
    out.Finish();
    part.symbols = {};
    part.ends = {};
}

std::optional<Bytes> JoinDeflateParts(std::vector<DeflateBlocks> parts)
{
    if (parts.empty())
        return std::nullopt;
    const bool written = parts.front().written.bits > 0;
    const std::array<std::uint8_t, 2> header = parts.front().header;
    Blocks blocks;
    DeflateBits stream{Bytes(header.begin(), header.end()), 16};
    std::uint32_t adler = 1;
    std::size_t size = 0;
    for (Blocks& part : parts) {
        if ((part.written.bits > 0) != written)
            return std::nullopt;
        if (written)
            AppendBits(stream, part.written);
        const std::size_t before = blocks.symbols.size();
        blocks.symbols.insert(blocks.symbols.end(), part.symbols.begin(), part.symbols.end());
        for (std::size_t end : part.ends)
            blocks.ends.push_back(before + end);
        adler = std::uint32_t(adler32_combine(adler, part.adler, z_off_t(part.bytes)));
        size += part.bytes;
        part = {};  // held once
    }
    std::uint8_t checksum[4];
    PutBigEndian32(checksum, adler);
    Bytes joined;
    if (written) {
        joined = std::move(stream.bytes);
        joined.insert(joined.end(), checksum, checksum + 4);
    } else {
        joined = WriteMerged(blocks, header, checksum);
    }
    if (!InflatesToItsChecksum(joined, size))
        return std::nullopt;
    return joined;
}

std::span<const std::uint8_t> DeflateDataOf(const Bytes& stream)
{
    if (stream.size() < 6)
        return {};
    return std::span<const std::uint8_t>(stream).subspan(2, stream.size() - 6);
}

std::optional<std::size_t> FirstStoredHeaderEnd(const DeflateBits& raw)
{
    try {
        BitReader in(raw.bytes);
        // The bits after the last block (of a part that does not end the
        // stream) are no block.
        for (bool last = false; !last && in.BitsRead() < raw.bits;) {
            BitReader header = in;
            header.Bits(1);
            if (header.Bits(2) == 0)
                return header.BitsRead();
            last = ReadBlock(in, [](Symbol) {});
        }
    } catch (const Unreadable&) {
    }
    return std::nullopt;
}

Bytes OpenEndedDeflate(const Bytes& stream)
{
    const std::span<const std::uint8_t> raw = DeflateDataOf(stream);
    if (raw.empty())
        throw Error("Could not compress the image data");
    std::size_t lastStart = 0, end = 0;
    try {
        BitReader in(raw);
        for (bool last = false; !last;) {
            lastStart = in.BitsRead();
            last = ReadBlock(in, [](Symbol) {});
        }
        end = in.BitsRead();
    } catch (const Unreadable&) {
        throw Error("Could not compress the image data");
    }
    Bytes open(raw.begin(), raw.begin() + std::ptrdiff_t((end + 7) / 8));
    open[lastStart / 8] &= std::uint8_t(~(1u << (lastStart % 8)));
    // The empty stored block: three zero bits from `end`, then to the byte.
    const unsigned used = unsigned(end % 8);
    if (used != 0)
        open.back() &= std::uint8_t((1u << used) - 1);
    if (used == 0 || used > 5)
        open.push_back(0);
    open.insert(open.end(), {0x00, 0x00, 0xFF, 0xFF});
    return open;
}

}  // namespace tessolo

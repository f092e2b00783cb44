// Decoding a frame's image data: variable-length codes read from data
// sub-blocks and expanded through the string table into colour indices.
#include "codecs/gif/GIFImage.h"
#include "codecs/gif/gif_interlace.h"

#include <cstring>

namespace tessolo {

namespace {

constexpr int kMaxCode = 4095;
// The longest string any table can hold, plus the one pixel a code that is
// not yet in the table adds. A longer chain can only be a loop.
constexpr int kStackSize = kMaxCode + 2;

// The most pixels `bytes` of image data can code. A code of b bits names
// one of at most 2^b table entries, whose strings are at most 2^b pixels
// long; as 2^b / b grows with b, no code codes more pixels a bit than a
// 12-bit one coding 4096. One more code allows for a last one cut short.
std::uint64_t MostPixelsCodedIn(std::size_t bytes)
{
    return (kMaxCode + 1) * (std::uint64_t(bytes) * 8 / 12 + 1);
}

class LZWDecoder {
public:
    LZWDecoder(GIFInputStream& stream, TGIFSubImage& frame, int minCodeSize)
        : stream_(stream), frame_(frame), minCodeSize_(minCodeSize), clear_(1 << minCodeSize),
          end_(clear_ + 1)
    {
    }

    // Fills rows of `width` pixels in `rowOrder`; stops at the end code, the
    // end of the data or an error, leaving later pixels as they are. True
    // when every pixel was filled.
    template <class RowOrder>
    bool Decode(std::uint8_t* pixels, int width, RowOrder rowOrder);

    // The first pixel of the next string (the rest stays on the stack), or
    // -1 at the end of the data, -2 at the end code.
    int Step();
    // Skips data sub-blocks up to and including the terminator.
    void SkipToTerminator();

private:
    int ReadCode();
    void ResetTable();
    bool Refill();

    GIFInputStream& stream_;
    TGIFSubImage& frame_;
    int minCodeSize_;
    int clear_;
    int end_;
    int bits_ = 0;
    int limit_ = 0;
    int nextFree_ = 0;
    int first_ = 0;
    int previous_ = 0;
    std::uint16_t prefix_[kMaxCode + 1];
    std::uint8_t suffix_[kMaxCode + 1];
    std::uint8_t stack_[kStackSize];
    int depth_ = 0;
    // The last two bytes of the previous sub-block, then the current one,
    // and room to read three bytes at any bit position.
    std::uint8_t buffer_[2 + 255 + 3] = {};
    int bit_ = 16;
    int lastBit_ = 16;
    bool freshStart_ = true;
    bool dataEnded_ = false;
    bool terminated_ = false;
};

void LZWDecoder::ResetTable()
{
    for (int i = 0; i < clear_; ++i) {
        prefix_[i] = 0;
        suffix_[i] = std::uint8_t(i);
    }
    std::memset(prefix_ + clear_, 0, sizeof(prefix_[0]) * std::size_t(kMaxCode + 1 - clear_));
    std::memset(suffix_ + clear_, 0, std::size_t(kMaxCode + 1 - clear_));
    bits_ = minCodeSize_ + 1;
    limit_ = 2 * clear_;
    nextFree_ = clear_ + 2;
    depth_ = 0;
}

bool LZWDecoder::Refill()
{
    int keep = lastBit_ / 8;
    buffer_[0] = buffer_[keep - 2];
    buffer_[1] = buffer_[keep - 1];
    std::uint8_t length;
    if (!stream_.ReadByte(length))
        return false;
    if (length == 0)
        dataEnded_ = terminated_ = true;
    std::size_t count = length;
    if (count > stream_.Remaining()) {
        frame_.Warning(gsWarning, gifmsg::sOutOfData);
        count = stream_.Remaining();
    }
    stream_.Read(buffer_ + 2, count);
    bit_ = bit_ - lastBit_ + 16;
    lastBit_ = int(count + 2) * 8;
    return true;
}

int LZWDecoder::ReadCode()
{
    if (freshStart_) {
        // The first code always counts as a clear, whatever the data holds.
        freshStart_ = false;
        return clear_;
    }
    // Short sub-blocks may need several refills for one code.
    while (bit_ + bits_ > lastBit_) {
        if (dataEnded_) {
            if (bit_ >= lastBit_)
                frame_.Warning(gsWarning, gifmsg::sDecodeTooFewBits);
            return -1;
        }
        if (!Refill())
            return -1;
    }
    const std::uint8_t* p = buffer_ + (bit_ >> 3);
    std::uint32_t raw = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    bit_ += bits_;
    return int((raw >> ((bit_ - bits_) & 7)) & ((1u << bits_) - 1));
}

void LZWDecoder::SkipToTerminator()
{
    if (terminated_)
        return;
    std::uint8_t length;
    while (stream_.ReadByte(length) && length != 0)
        stream_.Skip(length);
    terminated_ = dataEnded_ = true;
}

int LZWDecoder::Step()
{
    // Pixels still stacked when the frame was full are not wanted.
    depth_ = 0;
    int code = ReadCode();
    if (code < 0)
        return code;
    if (code == clear_) {
        ResetTable();
        do {
            code = ReadCode();
            if (code < 0)
                return code;
        } while (code == clear_);
        // An end code right after a clear ends the data; it is no pixel.
        if (code == end_) {
            SkipToTerminator();
            return -2;
        }
        first_ = previous_ = code;
        return code & 0xFF;
    }
    if (code == end_) {
        SkipToTerminator();
        return -2;
    }
    int incoming = code;
    if (code >= nextFree_) {
        stack_[depth_++] = std::uint8_t(first_);
        code = previous_;
    }
    while (code >= clear_) {
        if (depth_ >= kStackSize - 1 || prefix_[code] == code)
            throw GIFException(gifmsg::sDecodeCircular);
        stack_[depth_++] = suffix_[code];
        code = prefix_[code];
    }
    first_ = suffix_[code];
    stack_[depth_++] = std::uint8_t(first_);
    if (nextFree_ <= kMaxCode) {
        prefix_[nextFree_] = std::uint16_t(previous_);
        suffix_[nextFree_] = std::uint8_t(first_);
        ++nextFree_;
        if (nextFree_ >= limit_ && limit_ <= kMaxCode) {
            limit_ *= 2;
            ++bits_;
        }
    }
    previous_ = incoming;
    return stack_[--depth_];
}

template <class RowOrder>
bool LZWDecoder::Decode(std::uint8_t* pixels, int width, RowOrder rowOrder)
{
    for (int y = rowOrder.First(); y >= 0; y = rowOrder.Next(y)) {
        std::uint8_t* out = pixels + std::size_t(y) * std::size_t(width);
        std::uint8_t* rowEnd = out + width;
        while (out < rowEnd) {
            if (depth_ > 0) {
                int n = int(rowEnd - out) < depth_ ? int(rowEnd - out) : depth_;
                const std::uint8_t* top = stack_ + depth_;
                for (int i = 0; i < n; ++i)
                    out[i] = *--top;
                out += n;
                depth_ -= n;
                continue;
            }
            int pixel = Step();
            if (pixel < 0)
                return false;
            *out++ = std::uint8_t(pixel);
        }
    }
    return true;
}

struct SequentialRows {
    int height;
    int First() const { return height > 0 ? 0 : -1; }
    int Next(int y) const { return y + 1 < height ? y + 1 : -1; }
};

struct InterlacedRows {
    int height;
    mutable int pass = 0;
    int First() const { return height > 0 ? 0 : -1; }
    int Next(int y) const { return NextInterlacedRow(y, pass, height); }
};

}  // namespace

void TGIFSubImage::Decompress(GIFInputStream& stream)
{
    FreeBitmap();
    // Pixels the data does not reach keep this value; but a frame larger
    // than the rest of the file could ever code is refused.
    AllocateData(transparent_ ? std::uint8_t(TransparentColorIndex()) : 0,
                 MostPixelsCodedIn(stream.Remaining()));
    std::uint8_t minCodeSize;
    if (!stream.ReadByte(minCodeSize))
        return;
    if (minCodeSize > 8)
        minCodeSize = 8;
    auto decoder = std::make_unique<LZWDecoder>(stream, *this, minCodeSize);
    bool full = Interlaced() ? decoder->Decode(data_.data(), Width(), InterlacedRows{Height()})
                             : decoder->Decode(data_.data(), Width(), SequentialRows{Height()});
    // A full frame is normally followed by the end code; whatever else
    // remains of the data is skipped.
    if (full)
        decoder->Step();
    decoder->SkipToTerminator();
}

}  // namespace tessolo

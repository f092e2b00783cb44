// Coding a frame's colour indices as GIF image data: the minimum code size
// byte, variable-length codes packed into data sub-blocks, the terminator.
// TLZWEncoder builds a string dictionary; TRLEEncoder codes runs of equal
// pixels with codes that any standard decoder expands correctly.
#pragma once

#include "codecs/gif/gif_stream.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tessolo {

// Packs bytes into data sub-blocks of up to 255 bytes, one write each.
class TGIFWriter {
public:
    explicit TGIFWriter(GIFOutputStream& stream) : stream_(stream) {}
    // Writes the pending partial sub-block; never an empty one.
    ~TGIFWriter() { Flush(); }
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void WriteByte(std::uint8_t value)
    {
        buffer_[fill_++] = value;
        if (fill_ == 256)
            Flush();
    }
    void Flush();

private:
    GIFOutputStream& stream_;
    std::uint8_t buffer_[256] = {};  // [0] is the sub-block's length byte
    int fill_ = 1;
};

class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;
    // The pixels of row `y`, `width` of them; valid until the next call.
    using RowSource = std::function<const std::uint8_t*(int y)>;

    // Writes the code size byte, the coded pixels and the terminator.
    // Pixels at or above colorLimit raise "Color not in color table".
    void Encode(GIFOutputStream& stream, int bitsPerPixel, int colorLimit, const std::uint8_t* pixels,
                bool interlace, int height, int width);
    // The same, the rows asked for one at a time in coding order.
    void Encode(GIFOutputStream& stream, int bitsPerPixel, int colorLimit, const RowSource& rows,
                bool interlace, int height, int width);

protected:
    virtual void EmitCode(int code);
    virtual void ClearTable();
    virtual void CompressPixels() = 0;
    // Steps to the next pixel in coding order (rows in interlace order when
    // interlaced); false after the last.
    bool NextPixel();
    // The current pixel, checked against the colour limit.
    int CurrentPixel() const;

    int bitsPerPixel_ = 0;
    int colorLimit_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool interlace_ = false;
    const RowSource* rows_ = nullptr;
    const std::uint8_t* current_ = nullptr;
    int initialBits_ = 0;
    int bits_ = 0;
    int highestCode_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int firstFreeCode_ = 0;
    bool clearEmitted_ = false;

private:
    std::uint32_t bucket_ = 0;
    int bucketBits_ = 0;
    long long countdown_ = 0;
    int row_ = 0;
    int pass_ = 0;
    TGIFWriter* writer_ = nullptr;
};

// Open-addressed table of (prefix << 8 | pixel) -> code, 8009 slots.
class THashTable {
public:
    static constexpr int kSize = 8009;
    THashTable() { Clear(); }
    void Clear();
    void Insert(std::uint32_t key, int code);
    // The code for a key, or -1.
    int Lookup(std::uint32_t key) const;

private:
    static int Hash(std::uint32_t key) { return int((key ^ (key >> 4)) % kSize); }
    std::uint32_t slots_[kSize];
};

class TLZWEncoder : public TGIFEncoder {
protected:
    void EmitCode(int code) override;
    void ClearTable() override;
    void CompressPixels() override;

private:
    int prefix_ = 0;
    int nextFree_ = 0;
    std::unique_ptr<THashTable> table_;
};

class TRLEEncoder : public TGIFEncoder {
protected:
    void ClearTable() override;
    void CompressPixels() override;

private:
    // Emits one code and keeps count of codes since the last clear.
    void EmitPlain(int code);
    void FlushRun(int count);
    void BuildFromScratch(int count);
    void FlushWithTable(int count);
    // Restores the forced-clear count after a table build, clearing when it
    // has already been reached.
    void RestoreForcedClear();
    // Codes needed to send `count` pixels of one value by building tables.
    long long TriangleCost(long long count) const;

    int runPixel_ = -1;
    int tablePixel_ = -1;
    int tableLength_ = 0;
    int emitted_ = 0;
    int growthAt_ = 0;
    int growthAfterClear_ = 0;
    int forcedClearAt_ = 0;
    int forcedClearAfterClear_ = 0;
    int budget_ = 0;
};

}  // namespace tessolo

#include "codecs/gif/gif_encoder.h"

#include "codecs/gif/gif_interlace.h"
#include "codecs/gif/gif_messages.h"

#include <cstring>

namespace tessolo {

void TGIFWriter::Flush()
{
    if (fill_ <= 1)
        return;
    buffer_[0] = std::uint8_t(fill_ - 1);
    stream_.Write(buffer_, std::size_t(fill_));
    fill_ = 1;
}

// ---- Common part ----

void TGIFEncoder::Encode(GIFOutputStream& stream, int bitsPerPixel, int colorLimit, const std::uint8_t* pixels,
                         bool interlace, int height, int width)
{
    const RowSource rows = [&](int y) { return pixels + std::size_t(y) * std::size_t(width); };
    Encode(stream, bitsPerPixel, colorLimit, pixels ? rows : RowSource(), interlace, height, width);
}

void TGIFEncoder::Encode(GIFOutputStream& stream, int bitsPerPixel, int colorLimit, const RowSource& rows,
                         bool interlace, int height, int width)
{
    bitsPerPixel_ = bitsPerPixel < 2 ? 2 : bitsPerPixel;
    colorLimit_ = colorLimit;
    rows_ = &rows;
    interlace_ = interlace;
    height_ = height;
    width_ = width;
    stream.WriteByte(std::uint8_t(bitsPerPixel_));
    initialBits_ = bitsPerPixel_ + 1;
    bits_ = initialBits_;
    highestCode_ = (1 << initialBits_) - 1;
    clearCode_ = 1 << (initialBits_ - 1);
    endCode_ = clearCode_ + 1;
    firstFreeCode_ = clearCode_ + 2;
    bucket_ = 0;
    bucketBits_ = 0;
    countdown_ = width;
    row_ = 0;
    pass_ = 0;
    {
        TGIFWriter writer(stream);
        writer_ = &writer;
        if (rows && width > 0 && height > 0) {
            current_ = rows(0);
            CompressPixels();
        }
        EmitCode(endCode_);
        if (bucketBits_ > 0)
            writer.WriteByte(std::uint8_t(bucket_));
        writer_ = nullptr;
    }
    rows_ = nullptr;
    stream.WriteByte(0);
}

void TGIFEncoder::EmitCode(int code)
{
    if (bucketBits_ == 0)
        bucket_ = std::uint32_t(code);
    else
        bucket_ = (bucket_ & ((1u << bucketBits_) - 1)) | std::uint32_t(code) << bucketBits_;
    bucketBits_ += bits_;
    while (bucketBits_ >= 8) {
        writer_->WriteByte(std::uint8_t(bucket_));
        bucket_ >>= 8;
        bucketBits_ -= 8;
    }
}

void TGIFEncoder::ClearTable()
{
    clearEmitted_ = true;
    EmitCode(clearCode_);
}

bool TGIFEncoder::NextPixel()
{
    if (--countdown_ > 0) {
        ++current_;
        return true;
    }
    row_ = interlace_ ? NextInterlacedRow(row_, pass_, height_) : row_ + 1 < height_ ? row_ + 1 : -1;
    if (row_ < 0)
        return false;
    countdown_ = width_;
    current_ = (*rows_)(row_);
    return true;
}

int TGIFEncoder::CurrentPixel() const
{
    int pixel = *current_;
    if (pixel >= colorLimit_)
        throw GIFException(gifmsg::sInvalidColor);
    return pixel;
}

// ---- Hash table ----

void THashTable::Clear()
{
    std::memset(slots_, 0xFF, sizeof slots_);
}

void THashTable::Insert(std::uint32_t key, int code)
{
    int index = Hash(key);
    int displacement = index == 0 ? 1 : kSize - index;
    while ((slots_[index] >> 12) != 0xFFFFF) {
        index -= displacement;
        if (index < 0)
            index += kSize;
    }
    slots_[index] = key << 12 | std::uint32_t(code);
}

int THashTable::Lookup(std::uint32_t key) const
{
    int index = Hash(key);
    int displacement = index == 0 ? 1 : kSize - index;
    for (;;) {
        std::uint32_t slot = slots_[index];
        std::uint32_t slotKey = slot >> 12;
        if (slotKey == 0xFFFFF)
            return -1;
        if (slotKey == key)
            return int(slot & 0xFFF);
        index -= displacement;
        if (index < 0)
            index += kSize;
    }
}

// ---- LZW ----

void TLZWEncoder::EmitCode(int code)
{
    TGIFEncoder::EmitCode(code);
    if (nextFree_ > highestCode_ || clearEmitted_) {
        if (clearEmitted_) {
            bits_ = initialBits_;
            highestCode_ = (1 << initialBits_) - 1;
            clearEmitted_ = false;
        } else {
            ++bits_;
            highestCode_ = bits_ == 12 ? 4096 : (1 << bits_) - 1;
        }
    }
}

void TLZWEncoder::ClearTable()
{
    TGIFEncoder::ClearTable();
    table_->Clear();
    nextFree_ = clearCode_ + 2;
}

void TLZWEncoder::CompressPixels()
{
    table_ = std::make_unique<THashTable>();
    ClearTable();
    prefix_ = CurrentPixel();
    while (NextPixel()) {
        int c = CurrentPixel();
        std::uint32_t key = std::uint32_t(prefix_) << 8 | std::uint32_t(c);
        int code = table_->Lookup(key);
        if (code >= 0) {
            prefix_ = code;
            continue;
        }
        EmitCode(prefix_);
        prefix_ = c;
        // Code 4095 is never assigned: the table is restarted before.
        if (nextFree_ > 4094) {
            ClearTable();
        } else {
            table_->Insert(key, nextFree_);
            ++nextFree_;
        }
    }
    EmitCode(prefix_);
}

// ---- RLE ----
//
// After a clear, sending pixel p and then the codes first free, first free
// + 1, ... makes a decoder define them as runs of p of length 2, 3, ...; the
// code first free + n - 2 then stands for n pixels of p until the next clear.

void TRLEEncoder::ClearTable()
{
    growthAt_ = growthAfterClear_;
    forcedClearAt_ = forcedClearAfterClear_;
    emitted_ = 0;
    tableLength_ = 0;
    TGIFEncoder::ClearTable();
    bits_ = initialBits_;
}

void TRLEEncoder::EmitPlain(int code)
{
    clearEmitted_ = false;
    EmitCode(code);
    ++emitted_;
    if (emitted_ == growthAt_) {
        growthAt_ += 1 << bits_;
        ++bits_;
    }
    if (emitted_ == forcedClearAt_)
        ClearTable();
}

long long TRLEEncoder::TriangleCost(long long count) const
{
    long long b = budget_;
    long long full = b * (b + 1) / 2;
    long long cost = 0;
    while (count >= full) {
        cost += b;
        count -= full;
    }
    if (count > 0) {
        // Smallest n with n(n+1)/2 >= count, from the integer square root of 2 * count.
        long long x = 1;
        while (x * x < 2 * count)
            x <<= 1;
        for (long long y = (x + 2 * count / x) / 2; y < x; y = (x + 2 * count / x) / 2)
            x = y;
        long long n = x;
        while (n > 1 && (n - 1) * n / 2 >= count)
            --n;
        while (n * (n + 1) / 2 < count)
            ++n;
        cost += n;
    }
    return cost;
}

void TRLEEncoder::RestoreForcedClear()
{
    forcedClearAt_ = forcedClearAfterClear_;
    if (emitted_ >= forcedClearAt_)
        ClearTable();
}

void TRLEEncoder::BuildFromScratch(int count)
{
    forcedClearAt_ = budget_;
    tablePixel_ = runPixel_;
    int n = 1;
    while (count > 0) {
        if (n == 1) {
            tableLength_ = 1;
            EmitPlain(runPixel_);
            --count;
        } else if (count >= n) {
            tableLength_ = n;
            EmitPlain(firstFreeCode_ + n - 2);
            count -= n;
        } else {
            ++tableLength_;
            EmitPlain(count == 1 ? runPixel_ : firstFreeCode_ + count - 2);
            count = 0;
        }
        n = clearEmitted_ ? 1 : n + 1;
    }
    RestoreForcedClear();
}

void TRLEEncoder::FlushWithTable(int count)
{
    int t = tableLength_;
    long long repeats = count / t;
    long long leftover = count % t;
    long long leftoverCost = leftover > 0 ? 1 : 0;
    if (emitted_ + repeats + leftoverCost > budget_) {
        repeats = budget_ - emitted_;
        leftover = count - repeats * t;
        leftoverCost = 1 + TriangleCost(leftover);
    }
    if (TriangleCost(count) + 1 < leftoverCost + repeats) {
        ClearTable();
        BuildFromScratch(count);
        return;
    }
    forcedClearAt_ = budget_;
    for (long long i = 0; i < repeats; ++i)
        EmitPlain(firstFreeCode_ + t - 2);
    if (clearEmitted_) {
        BuildFromScratch(int(leftover));
        return;
    }
    if (leftover > 0)
        EmitPlain(leftover == 1 ? runPixel_ : firstFreeCode_ + int(leftover) - 2);
    RestoreForcedClear();
}

void TRLEEncoder::FlushRun(int count)
{
    if (count == 1) {
        EmitPlain(runPixel_);
    } else if (clearEmitted_) {
        BuildFromScratch(count);
    } else if (tableLength_ > 1 && tablePixel_ == runPixel_) {
        FlushWithTable(count);
    } else if (TriangleCost(count) + 1 < count) {
        ClearTable();
        BuildFromScratch(count);
    } else {
        for (int i = 0; i < count; ++i)
            EmitPlain(runPixel_);
    }
}

void TRLEEncoder::CompressPixels()
{
    growthAfterClear_ = clearCode_ - 1;
    forcedClearAfterClear_ = bitsPerPixel_ > 3 ? clearCode_ - 2 : 9;
    budget_ = 4095 - firstFreeCode_;
    ClearTable();
    runPixel_ = -1;
    int runLength = 0;
    do {
        int pixel = CurrentPixel();
        if (runLength > 0 && pixel != runPixel_) {
            FlushRun(runLength);
            runLength = 0;
        }
        runPixel_ = pixel;
        ++runLength;
    } while (NextPixel());
    FlushRun(runLength);
}

}  // namespace tessolo

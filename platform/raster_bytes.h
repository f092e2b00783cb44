// The bytes of a bitmap's raster. Small rasters live on the heap; from
// kMappedRasterBytes on, a raster has a memory mapping of its own, which
// grows by moving its pages (mremap) rather than copying them: a sheet that
// widens image by image is never held twice, and room not yet written takes
// no memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessolo {

inline constexpr std::size_t kMappedRasterBytes = std::size_t(1) << 20;

class RasterBytes {
public:
    RasterBytes() = default;
    RasterBytes(const RasterBytes& other);
    RasterBytes(RasterBytes&& other) noexcept;
    RasterBytes& operator=(RasterBytes other) noexcept;
    ~RasterBytes();

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

    // Sets the size; bytes past the old size are zero. Room grows by at
    // least half again, so growing step by step costs amortised linear time.
    // Throws std::bad_alloc when the memory cannot be had.
    void Resize(std::size_t size);

    // Gives the whole pages of [begin, end) back to the system: until they
    // are written again they take no memory and read as zero. Heap bytes
    // are kept. Returns where the pages given back end (`begin` when none
    // were), so that a caller releasing a raster front to back can pass it
    // as the next `begin`.
    std::size_t Discard(std::size_t begin, std::size_t end);

private:
    void Grow(std::size_t capacity);

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    // Bytes from here to capacity_ are zero: fresh pages never handed out.
    std::size_t zeroFrom_ = 0;
    bool mapped_ = false;
};

}  // namespace tessolo

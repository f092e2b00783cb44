#include "platform/raster_bytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace tessolo {

namespace {

std::size_t WholePages(std::size_t bytes)
{
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

}  // namespace

RasterBytes::RasterBytes(const RasterBytes& other)
{
    Resize(other.size_);
    if (size_ > 0)
        std::memcpy(data_, other.data_, size_);
}

RasterBytes::RasterBytes(RasterBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)), zeroFrom_(std::exchange(other.zeroFrom_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{
}

RasterBytes& RasterBytes::operator=(RasterBytes other) noexcept
{
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(zeroFrom_, other.zeroFrom_);
    std::swap(mapped_, other.mapped_);
    return *this;
}

RasterBytes::~RasterBytes()
{
    if (mapped_)
        munmap(data_, capacity_);
    else
        std::free(data_);
}

void RasterBytes::Resize(std::size_t size)
{
    if (size > capacity_)
        Grow(std::max(size, capacity_ + capacity_ / 2));
    if (size > size_ && zeroFrom_ > size_)
        std::memset(data_ + size_, 0, std::min(size, zeroFrom_) - size_);
    zeroFrom_ = std::max(zeroFrom_, size);
    size_ = size;
}

std::size_t RasterBytes::Discard(std::size_t begin, std::size_t end)
{
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t first = WholePages(begin), last = std::min(end, size_) / page * page;
    if (!mapped_ || first >= last)
        return begin;
    // It fails only for a range that is not mapped, which this one is.
    madvise(data_ + first, last - first, MADV_DONTNEED);
    return last;
}

void RasterBytes::Grow(std::size_t capacity)
{
    if (capacity < kMappedRasterBytes) {
        void* grown = std::realloc(data_, capacity);
        if (grown == nullptr)
            throw std::bad_alloc();
        data_ = static_cast<std::uint8_t*>(grown);
        capacity_ = capacity;
        zeroFrom_ = capacity;  // the heap hands out bytes of any value
        return;
    }
    capacity = WholePages(capacity);
    void* grown = mapped_ ? mremap(data_, capacity_, capacity, MREMAP_MAYMOVE)
                          : mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (grown == MAP_FAILED)
        throw std::bad_alloc();
    if (!mapped_) {
        if (size_ > 0)
            std::memcpy(grown, data_, size_);
        std::free(data_);
        zeroFrom_ = size_;
        mapped_ = true;
    }
    data_ = static_cast<std::uint8_t*>(grown);
    capacity_ = capacity;
}

}  // namespace tessolo

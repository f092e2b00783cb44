#include "codecs/gif/gif_stream.h"

#include "codecs/gif/gif_messages.h"
#include "platform/byte_io.h"

#include <algorithm>
#include <cstring>

namespace tessolo {

GIFInputStream::GIFInputStream(const ReadableFile& file, std::size_t windowBytes)
    : size_(std::size_t(file.Size())), file_(&file), buffer_(windowBytes)
{
}

void GIFInputStream::Fill()
{
    base_ = pos_;
    const std::size_t length = std::min(buffer_.size(), size_ - pos_);
    if (!file_ || !file_->ReadAt(base_, std::span(buffer_).first(length)))
        throw GIFException(gifmsg::sOutOfData);
    window_ = std::span(buffer_).first(length);
}

void GIFInputStream::Skip(std::ptrdiff_t delta)
{
    if (delta < 0)
        pos_ = std::size_t(-delta) > pos_ ? 0 : pos_ - std::size_t(-delta);
    else
        pos_ += std::size_t(delta) < Remaining() ? std::size_t(delta) : Remaining();
}

std::size_t GIFInputStream::ReadSome(void* target, std::size_t count)
{
    std::size_t n = count < Remaining() ? count : Remaining();
    auto* out = static_cast<std::uint8_t*>(target);
    for (std::size_t left = n; left > 0;) {
        if (!InWindow())
            Fill();
        const std::size_t piece = std::min(left, window_.size() - (pos_ - base_));
        std::memcpy(out, window_.data() + (pos_ - base_), piece);
        out += piece;
        pos_ += piece;
        left -= piece;
    }
    return n;
}

bool GIFInputStream::ReadByte(std::uint8_t& value)
{
    if (AtEnd())
        return false;
    if (!InWindow())
        Fill();
    value = window_[pos_++ - base_];
    return true;
}

void GIFInputStream::Read(void* target, std::size_t count)
{
    if (ReadSome(target, count) != count)
        throw GIFException(gifmsg::sOutOfData);
}

std::uint8_t GIFInputStream::ReadU8()
{
    std::uint8_t v;
    Read(&v, 1);
    return v;
}

std::uint16_t GIFInputStream::ReadU16()
{
    std::uint8_t b[2];
    Read(b, 2);
    return ReadLe16(b);
}

std::uint32_t GIFInputStream::ReadU32()
{
    std::uint8_t b[4];
    Read(b, 4);
    return ReadLe32(b);
}

void GIFOutputStream::WriteU16(std::uint16_t value)
{
    AppendLe16(out_, value);
    HandOnFullPiece();
}

void GIFOutputStream::WriteU32(std::uint32_t value)
{
    AppendLe32(out_, value);
    HandOnFullPiece();
}

void GIFOutputStream::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + count);
    HandOnFullPiece();
}

void GIFOutputStream::Finish()
{
    if (sink_ && !out_.empty()) {
        sink_(out_);
        out_.clear();
    }
}

}  // namespace tessolo

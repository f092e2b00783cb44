// Byte streams the GIF reader and writer work on: a bounded reader over
// memory with the seek operations the format's look-ahead needs, and an
// appending writer. Multi-byte values are little-endian.
#pragma once

#include "platform/bytes.h"
#include "platform/files.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <tuple>
#include <utility>

namespace tessolo {

// The bytes a file-backed stream holds at once.
inline constexpr std::size_t kGifFileWindowBytes = std::size_t(1) << 20;

class GIFInputStream {
public:
    explicit GIFInputStream(std::span<const std::uint8_t> data) : window_(data), size_(data.size()) {}
    // Reads `file` `windowBytes` at a time, from wherever the reader moves,
    // so that a large file is never held whole. A file that has shrunk
    // since it was opened reads as ending early.
    explicit GIFInputStream(const ReadableFile& file, std::size_t windowBytes = kGifFileWindowBytes);

    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    // Moves to an absolute position, clamped to the end.
    void Seek(std::size_t position) { pos_ = position < size_ ? position : size_; }
    // Moves by `delta` bytes, clamped to the stream's bounds.
    void Skip(std::ptrdiff_t delta);

    // Reads up to `count` bytes; returns how many arrived.
    std::size_t ReadSome(void* target, std::size_t count);
    // Reads one byte; false at the end of the stream.
    bool ReadByte(std::uint8_t& value);
    // Checked reads: fewer bytes than asked raise "Premature end of data".
    void Read(void* target, std::size_t count);
    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    void ReadField(std::uint8_t& value) { value = ReadU8(); }
    void ReadField(std::uint16_t& value) { value = ReadU16(); }

private:
    // Makes the window start at the position (not at the end).
    void Fill();
    bool InWindow() const { return pos_ >= base_ && pos_ - base_ < window_.size(); }

    std::span<const std::uint8_t> window_;  // the bytes from base_ on
    std::size_t base_ = 0;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    const ReadableFile* file_ = nullptr;
    Bytes buffer_;
};

class GIFOutputStream {
public:
    explicit GIFOutputStream(Bytes& target) : out_(target) {}
    // Hands what is written to `sink` in pieces of about 1 MiB, collected in
    // `buffer`; Finish hands on the rest.
    GIFOutputStream(Bytes& buffer, ByteSink sink) : out_(buffer), sink_(std::move(sink)) {}
    void WriteByte(std::uint8_t value)
    {
        out_.push_back(value);
        HandOnFullPiece();
    }
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void Write(const void* data, std::size_t count);
    void WriteField(std::uint8_t value) { WriteByte(value); }
    void WriteField(std::uint16_t value) { WriteU16(value); }
    void Finish();

private:
    static constexpr std::size_t kPieceBytes = std::size_t(1) << 20;
    void HandOnFullPiece()
    {
        if (sink_ && out_.size() >= kPieceBytes)
            Finish();
    }

    Bytes& out_;
    ByteSink sink_;
};

// A record is read and written field by field in the order its static
// Fields(record) ties them, each as one or two bytes by its type.
template <class Record>
void ReadRecord(GIFInputStream& stream, Record& record)
{
    std::apply([&](auto&... fields) { (stream.ReadField(fields), ...); }, Record::Fields(record));
}

template <class Record>
void WriteRecord(GIFOutputStream& stream, const Record& record)
{
    std::apply([&](const auto&... fields) { (stream.WriteField(fields), ...); }, Record::Fields(record));
}

}  // namespace tessolo

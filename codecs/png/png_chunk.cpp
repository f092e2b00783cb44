#include "codecs/png/png_chunk.h"

#include "codecs/png/png_crc.h"
#include "codecs/png/pngimage.h"

#include <cstring>
#include <utility>

namespace tessolo {

const TChunkClass TChunk::kClass = {"", MakeChunk<TChunk>};

void TChunk::Assign(const TChunk& source)
{
    Name = source.Name;
    ResizeData(source.DataSize());
    std::memcpy(Data(), source.Data(), source.DataSize());
}

bool TChunk::LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size)
{
    // A length beyond the end of the file reserves only what is there; the
    // chunk then cannot carry its CRC and fails below.
    std::uint32_t present = std::uint32_t(std::min<std::size_t>(size, stream.Remaining()));
    ResizeData(present);
    stream.Read(Data(), present);
    std::uint8_t stored[4];
    if (present < size || stream.Read(stored, 4) < 4)
        throw EPngInvalidCRC();
    std::uint32_t crc = UpdateCrc(kCrcStart, reinterpret_cast<const std::uint8_t*>(name.data()), 4);
    crc = UpdateCrc(crc, Data(), present);
    if (~crc != GetBigEndian32(stored))
        throw EPngInvalidCRC();
    return true;
}

bool TChunk::SaveToStream(Bytes& stream)
{
    SaveData(stream);
    return true;
}

void TChunk::ResizeData(std::uint32_t size)
{
    data_.assign(std::size_t(size) + 1, 0);
    dataSize_ = size;
}

int TChunk::GetIndex() const { return owner_->Chunks.IndexOf(this); }

TChunkIHDR& TChunk::GetHeader() { return owner_->Header(); }
const TChunkIHDR& TChunk::GetHeader() const { return std::as_const(*owner_).Header(); }

void TChunk::SaveData(Bytes& stream) const { WriteChunk(stream, Name, Data(), dataSize_); }

void WriteChunk(Bytes& stream, const TChunkName& name, const std::uint8_t* data, std::uint32_t size)
{
    AppendBigEndian32(stream, size);
    const auto* type = reinterpret_cast<const std::uint8_t*>(name.data());
    stream.insert(stream.end(), type, type + 4);
    if (size > 0)
        stream.insert(stream.end(), data, data + size);
    std::uint32_t crc = UpdateCrc(UpdateCrc(kCrcStart, type, 4), data, size);
    AppendBigEndian32(stream, ~crc);
}

std::vector<const TChunkClass*>& ChunkRegistry()
{
    static std::vector<const TChunkClass*> registry = {
        &TChunkIEND::kClass, &TChunkIHDR::kClass, &TChunkIDAT::kClass, &TChunkPLTE::kClass,
        &TChunkgAMA::kClass, &TChunktRNS::kClass, &TChunkpHYs::kClass, &TChunktIME::kClass,
        &TChunktEXt::kClass, &TChunkzTXt::kClass,
    };
    return registry;
}

void RegisterChunk(const TChunkClass& chunkClass) { ChunkRegistry().push_back(&chunkClass); }

const TChunkClass* FindChunkClass(const TChunkName& name)
{
    for (const TChunkClass* chunkClass : ChunkRegistry())
        if (std::strlen(chunkClass->name) == 4 && std::memcmp(chunkClass->name, name.data(), 4) == 0)
            return chunkClass;
    return nullptr;
}

}  // namespace tessolo

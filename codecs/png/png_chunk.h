// One chunk of a PNG file: its type, its data bytes and their framing with
// length and CRC. Typed chunks derive from TChunk and decode their data.
#pragma once

#include "codecs/png/png_stream.h"
#include "codecs/png/png_types.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

class TChunk;
class TChunkIHDR;
class TPNGObject;

// What the registry knows of a chunk class: the type it handles and how to
// make one (the virtual constructor).
struct TChunkClass {
    const char* name;  // empty for the plain chunk class
    std::unique_ptr<TChunk> (*create)(TPNGObject& owner);
};

// Makes a chunk of class T with its type name set from the class.
template <class T>
std::unique_ptr<T> NewChunk(TPNGObject& owner);
// The same, as the registry's virtual constructor.
template <class T>
std::unique_ptr<TChunk> MakeChunk(TPNGObject& owner)
{
    return NewChunk<T>(owner);
}

class TChunk {
public:
    explicit TChunk(TPNGObject& owner) : owner_(&owner), data_(1) {}
    virtual ~TChunk() = default;
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    static const TChunkClass kClass;
    virtual const TChunkClass& Class() const { return kClass; }
    // The chunk type handled by the class; empty for the plain class.
    std::string_view GetName() const { return Class().name; }

    // Copies the type name and data bytes.
    virtual void Assign(const TChunk& source);
    // Reads the body (data and CRC) after length and type; EPngInvalidCRC
    // when the stored CRC differs. False stops the file reader.
    virtual bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size);
    // Writes the whole chunk.
    virtual bool SaveToStream(Bytes& stream);

    void ResizeData(std::uint32_t size);
    std::uint8_t* Data() { return data_.data(); }
    const std::uint8_t* Data() const { return data_.data(); }
    std::uint32_t DataSize() const { return dataSize_; }

    // Position in the owner's list; -1 when absent.
    int GetIndex() const;
    // The owner's header; EPNGHeaderNotPresent when there is none.
    TChunkIHDR& GetHeader();
    const TChunkIHDR& GetHeader() const;
    std::string GetChunkName() const { return std::string(Name.data(), Name.size()); }
    TPNGObject& Owner() { return *owner_; }
    const TPNGObject& Owner() const { return *owner_; }

    // Frames the data: length, type, data, CRC.
    void SaveData(Bytes& stream) const;

    TChunkName Name{};

private:
    TPNGObject* owner_;
    std::vector<std::uint8_t> data_;  // always one byte longer than the data
    std::uint32_t dataSize_ = 0;
};

template <class T>
std::unique_ptr<T> NewChunk(TPNGObject& owner)
{
    auto chunk = std::make_unique<T>(owner);
    std::string_view name = T::kClass.name;
    if (name.size() == 4)
        std::copy(name.begin(), name.end(), chunk->Name.begin());
    return chunk;
}

// A chunk type name as a template argument: TChunkOf<T, "IEND">.
template <std::size_t N>
struct TChunkTypeName {
    constexpr TChunkTypeName(const char (&name)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = name[i];
    }
    char text[N];
};

// The base of a typed chunk class: its class record for the registry, made
// from the type name, and the constructors of `Base`.
template <class Derived, TChunkTypeName Name, class Base = TChunk>
class TChunkOf : public Base {
public:
    using Base::Base;
    static inline const TChunkClass kClass{Name.text, MakeChunk<Derived>};
    const TChunkClass& Class() const override { return kClass; }
};

// Writes one framed chunk of `size` data bytes.
void WriteChunk(Bytes& stream, const TChunkName& name, const std::uint8_t* data, std::uint32_t size);

// The process-wide registry of chunk classes, in lookup order.
std::vector<const TChunkClass*>& ChunkRegistry();
void RegisterChunk(const TChunkClass& chunkClass);
// The first registered class handling `name` (case-sensitive), or nullptr.
const TChunkClass* FindChunkClass(const TChunkName& name);

// The chunks of one image in file order; owns them.
class TPNGList {
public:
    explicit TPNGList(TPNGObject& owner) : owner_(owner) {}

    int Count() const { return int(items_.size()); }
    // The chunk at `index`, or nullptr when out of range.
    TChunk* GetItem(int index);
    const TChunk* GetItem(int index) const;
    int IndexOf(const TChunk* chunk) const;

    // The first chunk that is a T or derives from T, or nullptr.
    template <class T>
    T* FindChunk() { return First<T>(); }
    template <class T>
    const T* FindChunk() const { return First<const T>(); }

    // Creates a chunk of the class and inserts it where the format wants it,
    // enforcing the rules on critical and unique chunks.
    TChunk& Add(const TChunkClass& chunkClass);
    template <class T>
    T& Add() { return static_cast<T&>(Add(T::kClass)); }

    // Appends without any checks (file reading, building from a bitmap).
    TChunk& Append(std::unique_ptr<TChunk> chunk);
    void Insert(std::unique_ptr<TChunk> chunk, int position);
    // Removes the chunk from the list and destroys it.
    void RemoveChunk(TChunk* chunk);
    void Clear() { items_.clear(); }

    // Iteration hands out writable chunks, so only a writable list has it;
    // a const list is read through GetItem.
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    template <class T>
    T* First() const
    {
        for (const auto& item : items_)
            if (auto* typed = dynamic_cast<T*>(item.get()))
                return typed;
        return nullptr;
    }

    TPNGObject& owner_;
    std::vector<std::unique_ptr<TChunk>> items_;
};

}  // namespace tessolo

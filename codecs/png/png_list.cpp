#include "codecs/png/pngimage.h"

#include <algorithm>

namespace tessolo {

namespace {

bool IsClass(const TChunkClass& chunkClass, const TChunkClass& other) { return &chunkClass == &other; }

}  // namespace

TChunk* TPNGList::GetItem(int index)
{
    return index >= 0 && index < Count() ? items_[std::size_t(index)].get() : nullptr;
}

const TChunk* TPNGList::GetItem(int index) const
{
    return index >= 0 && index < Count() ? items_[std::size_t(index)].get() : nullptr;
}

int TPNGList::IndexOf(const TChunk* chunk) const
{
    for (int i = 0; i < Count(); ++i)
        if (items_[std::size_t(i)].get() == chunk)
            return i;
    return -1;
}

TChunk& TPNGList::Append(std::unique_ptr<TChunk> chunk)
{
    items_.push_back(std::move(chunk));
    return *items_.back();
}

void TPNGList::Insert(std::unique_ptr<TChunk> chunk, int position)
{
    position = std::clamp(position, 0, Count());
    items_.insert(items_.begin() + position, std::move(chunk));
}

void TPNGList::RemoveChunk(TChunk* chunk)
{
    int index = IndexOf(chunk);
    if (index >= 0)
        items_.erase(items_.begin() + index);
}

TChunk& TPNGList::Add(const TChunkClass& chunkClass)
{
    bool critical = IsClass(chunkClass, TChunkIHDR::kClass) || IsClass(chunkClass, TChunkIDAT::kClass) ||
                    IsClass(chunkClass, TChunkPLTE::kClass) || IsClass(chunkClass, TChunkIEND::kClass);
    if (critical && !owner_.BeingCreated())
        throw EPngError(kPngAddExistingCriticalText);
    if ((IsClass(chunkClass, TChunkgAMA::kClass) && FindChunk<TChunkgAMA>()) ||
        (IsClass(chunkClass, TChunktRNS::kClass) && FindChunk<TChunktRNS>()) ||
        (IsClass(chunkClass, TChunkpHYs::kClass) && FindChunk<TChunkpHYs>()))
        throw EPngError(kPngAddExistingCriticalText);
    if ((!FindChunk<TChunkIEND>() || !FindChunk<TChunkIHDR>()) && !owner_.BeingCreated())
        throw EPngError(kPngAddToInvalidImageText);

    std::unique_ptr<TChunk> chunk = chunkClass.create(owner_);
    TChunk* added = chunk.get();
    auto after = [this](const TChunk* anchor) { return anchor ? IndexOf(anchor) + 1 : -1; };
    int position;
    if (IsClass(chunkClass, TChunkIHDR::kClass)) {
        position = 0;
    } else if (IsClass(chunkClass, TChunkIEND::kClass)) {
        position = Count();
    } else if (IsClass(chunkClass, TChunkgAMA::kClass) || IsClass(chunkClass, TChunkpHYs::kClass) ||
               IsClass(chunkClass, TChunkPLTE::kClass)) {
        position = std::max(after(FindChunk<TChunkIHDR>()), 0);
    } else if (IsClass(chunkClass, TChunktRNS::kClass)) {
        if (const auto* palette = FindChunk<TChunkPLTE>())
            position = after(palette);
        else if (const auto* data = FindChunk<TChunkIDAT>())
            position = IndexOf(data);
        else
            position = std::max(after(FindChunk<TChunkIHDR>()), 0);
    } else {
        const auto* end = FindChunk<TChunkIEND>();
        position = end ? IndexOf(end) : Count();
    }
    Insert(std::move(chunk), position);
    return *added;
}

}  // namespace tessolo

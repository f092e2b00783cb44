// The common base of the parts of a GIF (header, frames, extensions) and the
// owning list the frames and extensions are kept in.
#pragma once

#include "codecs/gif/gif_stream.h"
#include "codecs/gif/gif_types.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tessolo {

class TGIFImage;

class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    TGIFImage* Image() { return image_; }
    const TGIFImage* Image() const { return image_; }
    virtual TGIFVersion GetVersion() const { return gv87a; }
    // Passes a warning to the owning image with this item as sender.
    virtual void Warning(TGIFSeverity severity, const std::string& message) const;
    virtual void SaveToStream(GIFOutputStream& stream) const = 0;
    virtual void LoadFromStream(GIFInputStream& stream) = 0;

protected:
    TGIFImage* image_;
};

// An ordered list that owns its items.
template <class T>
class TGIFList {
public:
    int Count() const { return int(items_.size()); }
    T& operator[](int index) { return *items_[std::size_t(index)]; }
    const T& operator[](int index) const { return *items_[std::size_t(index)]; }
    T& First() { return *items_.front(); }
    const T& First() const { return *items_.front(); }
    T& Last() { return *items_.back(); }
    const T& Last() const { return *items_.back(); }

    T& Add(std::unique_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return *items_.back();
    }
    T& Insert(int index, std::unique_ptr<T> item)
    {
        return **items_.insert(items_.begin() + index, std::move(item));
    }
    void Delete(int index) { items_.erase(items_.begin() + index); }
    void Clear() { items_.clear(); }
    void Exchange(int a, int b) { std::swap(items_[std::size_t(a)], items_[std::size_t(b)]); }
    void Move(int from, int to)
    {
        std::unique_ptr<T> item = std::move(items_[std::size_t(from)]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
    }
    int IndexOf(const T* item) const
    {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == item)
                return int(i);
        return -1;
    }
    // Takes an item out of the list and hands it to the caller.
    std::unique_ptr<T> Remove(const T* item)
    {
        int index = IndexOf(item);
        if (index < 0)
            return nullptr;
        std::unique_ptr<T> taken = std::move(items_[std::size_t(index)]);
        items_.erase(items_.begin() + index);
        return taken;
    }

private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace tessolo

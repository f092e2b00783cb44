// GIF extension blocks and the two registries that map a label byte, and an
// application identifier, to the class that reads it.
#pragma once

#include "codecs/gif/gif_item.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessolo {

class TGIFSubImage;
class TGIFExtension;

// What the registries hold: one per concrete or abstract extension class.
struct TGIFExtensionClass {
    std::uint8_t Label;
    // Makes an instance for a frame; null for a class that cannot be instantiated.
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage& frame);
    // Looks at the stream just after the label and names a more specific
    // class; null means the class itself.
    const TGIFExtensionClass* (*FindSubExtension)(const TGIFExtensionClass& self, GIFInputStream& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage& frame);
    TGIFSubImage& Frame() { return frame_; }
    const TGIFSubImage& Frame() const { return frame_; }
    TGIFVersion GetVersion() const override { return gv89a; }
    virtual std::uint8_t GetExtensionType() const = 0;
    // Writes 0x21 and the label.
    void SaveToStream(GIFOutputStream& stream) const override;
    // Reads and checks 0x21 and the label.
    void LoadFromStream(GIFInputStream& stream) override;

private:
    TGIFSubImage& frame_;
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;
    explicit TGIFGraphicControlExtension(TGIFSubImage& frame);
    ~TGIFGraphicControlExtension() override;
    std::uint8_t GetExtensionType() const override { return 0xF9; }
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;

    TGIFGCERec Rec;
    bool Transparent() const { return Rec.PackedFields & 0x01; }
    void SetTransparent(bool transparent);
    int TransparentColorIndex() const { return Rec.TransparentColorIndex; }
    // Indices outside the frame's active map warn and store 0.
    void SetTransparentColorIndex(int index);
    TDisposalMethod Disposal() const { return TDisposalMethod((Rec.PackedFields >> 2) & 0x07); }
    bool UserInput() const { return Rec.PackedFields & 0x02; }
};

// Text held as lines; each data sub-block reads back as one line.
class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    std::uint8_t GetExtensionType() const override { return 0x01; }
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;

    TGIFPlainTextExtensionRec Rec;
    std::vector<std::string> Text;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    std::uint8_t GetExtensionType() const override { return 0xFE; }
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;

    std::vector<std::string> Text;
};

class TGIFApplicationExtension : public TGIFExtension {
public:
    // Abstract: FindSubExtension picks the concrete class.
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    std::uint8_t GetExtensionType() const override { return 0xFF; }
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;

    TGIFApplicationRec Rec;
    // Space-filled, at most 8 (3) characters, a shorter text followed by one zero.
    void SetIdentifier(const std::string& text);
    void SetAuthentication(const std::string& text);

protected:
    virtual void SaveData(GIFOutputStream& stream) const = 0;
    virtual void LoadData(GIFInputStream& stream) = 0;
};

// One data sub-block of 1..255 bytes.
struct TGIFBlock {
    std::vector<std::uint8_t> Data;
    void SaveToStream(GIFOutputStream& stream) const;
    void LoadFromStream(GIFInputStream& stream, int size);
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;
    using TGIFApplicationExtension::TGIFApplicationExtension;
    std::vector<TGIFBlock> Blocks;

protected:
    void SaveData(GIFOutputStream& stream) const override;
    void LoadData(GIFInputStream& stream) override;
};

// The looping extension: loop count (0 = forever) and buffer size.
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;
    explicit TGIFAppExtNSLoop(TGIFSubImage& frame);
    std::uint16_t Loops = 0;
    std::uint32_t BufferSize = 0;

protected:
    void SaveData(GIFOutputStream& stream) const override;
    void LoadData(GIFInputStream& stream) override;
};

// Label byte -> extension class; the latest registration for a label wins.
class TExtensionList {
public:
    TExtensionList();
    void RegisterExtension(std::uint8_t label, const TGIFExtensionClass& cls);
    const TGIFExtensionClass* Find(std::uint8_t label) const;

private:
    std::vector<std::pair<std::uint8_t, const TGIFExtensionClass*>> entries_;
};

// 11-byte application identifier -> class; the latest registration wins.
class TAppExtensionList {
public:
    TAppExtensionList();
    void RegisterExtension(const TGIFApplicationRec& id, const TGIFExtensionClass& cls);
    const TGIFExtensionClass* Find(const TGIFApplicationRec& id) const;

private:
    std::vector<std::pair<TGIFApplicationRec, const TGIFExtensionClass*>> entries_;
};

TExtensionList& ExtensionRegistry();
TAppExtensionList& AppExtensionRegistry();

}  // namespace tessolo

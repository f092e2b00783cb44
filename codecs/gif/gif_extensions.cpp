#include "codecs/gif/gif_extensions.h"

#include "codecs/gif/GIFImage.h"
#include "codecs/gif/gif_messages.h"

#include <algorithm>
#include <cstring>

namespace tessolo {

namespace {

template <class T>
std::unique_ptr<TGIFExtension> Make(TGIFSubImage& frame)
{
    return std::make_unique<T>(frame);
}

// Data sub-blocks, each read back as one line of text.
std::vector<std::string> ReadTextBlocks(GIFInputStream& stream)
{
    std::vector<std::string> lines;
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) {
        std::string line(size, '\0');
        stream.Read(line.data(), size);
        lines.push_back(std::move(line));
    }
    return lines;
}

void WriteTextBlocks(GIFOutputStream& stream, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        for (std::size_t at = 0; at < line.size(); at += 255) {
            std::size_t piece = std::min<std::size_t>(255, line.size() - at);
            stream.WriteByte(std::uint8_t(piece));
            stream.Write(line.data() + at, piece);
        }
    stream.WriteByte(0);
}

void FillField(char* field, std::size_t size, const std::string& text)
{
    std::memset(field, ' ', size);
    std::size_t n = std::min(size, text.size());
    std::memcpy(field, text.data(), n);
    if (n < size)
        field[n] = '\0';
}

const TGIFExtensionClass* FindApplicationClass(const TGIFExtensionClass& self, GIFInputStream& stream)
{
    std::size_t start = stream.Position();
    std::uint8_t size = 0;
    std::uint8_t id[11] = {};
    bool complete = stream.ReadByte(size);
    std::size_t wanted = std::min<std::size_t>(size, sizeof id);
    complete = complete && stream.ReadSome(id, wanted) == wanted;
    stream.Seek(start);
    // A block cut short by the end of the data: the extension's own checked
    // read reports the premature end.
    if (!complete)
        return &TGIFUnknownAppExtension::Class;
    if (size == 10)
        return &TGIFUnknownAppExtension::Class;
    if (size == 11) {
        TGIFApplicationRec rec;
        std::memcpy(&rec, id, 11);
        const TGIFExtensionClass* cls = AppExtensionRegistry().Find(rec);
        return cls ? cls : &TGIFUnknownAppExtension::Class;
    }
    return &self;
}

}  // namespace

static_assert(sizeof(TGIFApplicationRec) == 11);

const TGIFExtensionClass TGIFGraphicControlExtension::Class = {0xF9, Make<TGIFGraphicControlExtension>, nullptr};
const TGIFExtensionClass TGIFTextExtension::Class = {0x01, Make<TGIFTextExtension>, nullptr};
const TGIFExtensionClass TGIFCommentExtension::Class = {0xFE, Make<TGIFCommentExtension>, nullptr};
const TGIFExtensionClass TGIFApplicationExtension::Class = {0xFF, nullptr, FindApplicationClass};
const TGIFExtensionClass TGIFUnknownAppExtension::Class = {0xFF, Make<TGIFUnknownAppExtension>, nullptr};
const TGIFExtensionClass TGIFAppExtNSLoop::Class = {0xFF, Make<TGIFAppExtNSLoop>, nullptr};

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(frame) {}

void TGIFExtension::SaveToStream(GIFOutputStream& stream) const
{
    stream.WriteByte(0x21);
    stream.WriteByte(GetExtensionType());
}

void TGIFExtension::LoadFromStream(GIFInputStream& stream)
{
    if (stream.ReadU8() != 0x21)
        throw GIFException(gifmsg::sBadExtensionLabel);
    if (stream.ReadU8() != GetExtensionType())
        throw GIFException(gifmsg::sBadExtensionInstance);
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage& frame) : TGIFExtension(frame)
{
    if (!frame.GraphicControlExtension())
        frame.SetGraphicControlExtension(this);
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    if (Transparent())
        Frame().SetTransparentFlag(false);
    if (Frame().GraphicControlExtension() == this)
        Frame().SetGraphicControlExtension(nullptr);
}

void TGIFGraphicControlExtension::SetTransparent(bool transparent)
{
    Rec.PackedFields = std::uint8_t(transparent ? Rec.PackedFields | 0x01 : Rec.PackedFields & ~0x01);
    Frame().SetTransparentFlag(transparent);
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int index)
{
    const TGIFColorMap& map = Frame().ActiveColorMap();
    if (map.Count() > 0 && index >= map.Count()) {
        Warning(gsWarning, gifmsg::sBadColorIndex);
        index = 0;
    }
    Rec.TransparentColorIndex = std::uint8_t(index);
}

void TGIFGraphicControlExtension::SaveToStream(GIFOutputStream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    WriteRecord(stream, Rec);
}

void TGIFGraphicControlExtension::LoadFromStream(GIFInputStream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    std::uint8_t raw[6] = {};
    std::size_t got = stream.ReadSome(raw, 6);
    // A short record keeps what arrived.
    GIFInputStream arrived(raw);
    ReadRecord(arrived, Rec);
    if (got < 6)
        Warning(gsWarning, gifmsg::sOutOfData);
    else if (Rec.PackedFields & 0x01)
        Frame().SetTransparentFlag(true);
}

void TGIFTextExtension::SaveToStream(GIFOutputStream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    WriteRecord(stream, Rec);
    WriteTextBlocks(stream, Text);
}

void TGIFTextExtension::LoadFromStream(GIFInputStream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    ReadRecord(stream, Rec);
    Text = ReadTextBlocks(stream);
}

void TGIFCommentExtension::SaveToStream(GIFOutputStream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    WriteTextBlocks(stream, Text);
}

void TGIFCommentExtension::LoadFromStream(GIFInputStream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    Text = ReadTextBlocks(stream);
}

void TGIFApplicationExtension::SetIdentifier(const std::string& text)
{
    FillField(Rec.Identifier, sizeof Rec.Identifier, text);
}

void TGIFApplicationExtension::SetAuthentication(const std::string& text)
{
    FillField(Rec.Authentication, sizeof Rec.Authentication, text);
}

void TGIFApplicationExtension::SaveToStream(GIFOutputStream& stream) const
{
    TGIFExtension::SaveToStream(stream);
    stream.WriteByte(11);
    stream.Write(&Rec, 11);
    SaveData(stream);
}

void TGIFApplicationExtension::LoadFromStream(GIFInputStream& stream)
{
    TGIFExtension::LoadFromStream(stream);
    int size = stream.ReadU8();
    if (size < 10)
        throw GIFException(gifmsg::sBadBlockSize);
    if (size == 10)
        Rec = TGIFApplicationRec{};
    stream.Read(&Rec, 11);
    // For size 10 this steps back onto the first data sub-block's size byte;
    // for larger sizes it skips the surplus.
    stream.Skip(std::ptrdiff_t(size) - 11);
    LoadData(stream);
}

void TGIFBlock::SaveToStream(GIFOutputStream& stream) const
{
    stream.WriteByte(std::uint8_t(Data.size()));
    stream.Write(Data.data(), Data.size());
}

void TGIFBlock::LoadFromStream(GIFInputStream& stream, int size)
{
    Data.resize(std::size_t(size));
    stream.Read(Data.data(), Data.size());
}

void TGIFUnknownAppExtension::SaveData(GIFOutputStream& stream) const
{
    for (const TGIFBlock& block : Blocks)
        block.SaveToStream(stream);
    stream.WriteByte(0);
}

void TGIFUnknownAppExtension::LoadData(GIFInputStream& stream)
{
    Blocks.clear();
    std::uint8_t size;
    while (stream.ReadByte(size) && size != 0) {
        TGIFBlock block;
        block.LoadFromStream(stream, size);
        Blocks.push_back(std::move(block));
    }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& frame) : TGIFApplicationExtension(frame)
{
    SetIdentifier("NETSCAPE");
    SetAuthentication("2.0");
}

void TGIFAppExtNSLoop::SaveData(GIFOutputStream& stream) const
{
    stream.WriteByte(3);
    stream.WriteByte(1);
    stream.WriteU16(Loops);
    if (BufferSize != 0) {
        stream.WriteByte(5);
        stream.WriteByte(2);
        stream.WriteU32(BufferSize);
    }
    stream.WriteByte(0);
}

void TGIFAppExtNSLoop::LoadData(GIFInputStream& stream)
{
    for (int size = stream.ReadU8(); size != 0; size = stream.ReadU8()) {
        int id = stream.ReadU8();
        int remaining = size - 1;
        if ((id & 7) == 1) {
            if (remaining < 2)
                throw GIFException(gifmsg::sInvalidData);
            Loops = stream.ReadU16();
            remaining -= 2;
        } else if ((id & 7) == 2) {
            if (remaining < 4)
                throw GIFException(gifmsg::sInvalidData);
            BufferSize = stream.ReadU32();
            remaining -= 4;
        }
        stream.Skip(remaining);
    }
}

TExtensionList::TExtensionList()
{
    RegisterExtension(0x01, TGIFTextExtension::Class);
    RegisterExtension(0xF9, TGIFGraphicControlExtension::Class);
    RegisterExtension(0xFE, TGIFCommentExtension::Class);
    RegisterExtension(0xFF, TGIFApplicationExtension::Class);
}

void TExtensionList::RegisterExtension(std::uint8_t label, const TGIFExtensionClass& cls)
{
    entries_.emplace_back(label, &cls);
}

const TGIFExtensionClass* TExtensionList::Find(std::uint8_t label) const
{
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->first == label)
            return it->second;
    return nullptr;
}

TAppExtensionList::TAppExtensionList()
{
    TGIFApplicationRec rec;
    std::memcpy(&rec, "NETSCAPE2.0", 11);
    RegisterExtension(rec, TGIFAppExtNSLoop::Class);
    std::memcpy(&rec, "ANIMEXTS1.0", 11);
    RegisterExtension(rec, TGIFAppExtNSLoop::Class);
}

void TAppExtensionList::RegisterExtension(const TGIFApplicationRec& id, const TGIFExtensionClass& cls)
{
    entries_.emplace_back(id, &cls);
}

const TGIFExtensionClass* TAppExtensionList::Find(const TGIFApplicationRec& id) const
{
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (std::memcmp(&it->first, &id, 11) == 0)
            return it->second;
    return nullptr;
}

TExtensionList& ExtensionRegistry()
{
    static TExtensionList registry;
    return registry;
}

TAppExtensionList& AppExtensionRegistry()
{
    static TAppExtensionList registry;
    return registry;
}

}  // namespace tessolo

// Plain records, enumerations and global defaults of the GIF object model.
// Records hold their fields exactly as the file stores them; Fields(record)
// lists them in file order for ReadRecord and WriteRecord.
#pragma once

#include "platform/bitmap.h"

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>

namespace tessolo {

enum TGIFVersion { gvUnknown, gv87a, gv89a };
enum TGIFSeverity { gsInfo, gsWarning, gsError };
// Values 0-3 of the graphic control extension's disposal field.
enum TDisposalMethod { dmNone, dmNoDisposal, dmBackground, dmPrevious };
enum TGIFCompression { gcLZW, gcRLE };
enum TColorReduction {
    rmNone, rmWindows20, rmWindows256, rmWindowsGray, rmMonochrome,
    rmGrayScale, rmNetscape, rmQuantize, rmQuantizeWindows, rmPalette
};
enum TDitherMode {
    dmNearest, dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNI, dmSteveArche, dmBurkes
};
enum TGIFDrawOption {
    goAsync, goTransparent, goAnimate, goLoop, goLoopContinously, goValidateCanvas,
    goDirectDraw, goClearOnLoop, goTile, goDither, goAutoDither
};

// A set of draw options, one bit per TGIFDrawOption.
using TGIFDrawOptions = unsigned;
constexpr TGIFDrawOptions DrawOption(TGIFDrawOption option) { return 1u << option; }

// The three characters after "GIF" in the header.
const char* GIFVersionText(TGIFVersion version);

struct TGIFColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};
static_assert(sizeof(TGIFColor) == 3, "colour entries are stored as the file's three bytes");

constexpr TGIFColor ToGIFColor(ColorRef c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }
constexpr ColorRef ToColorRef(TGIFColor c) { return MakeColor(c.Red, c.Green, c.Blue); }

// The logical screen descriptor. The size is held wider than the file's 16
// bits because frames placed near the 65535 limit can grow the screen beyond it.
struct TLogicalScreenDescriptor {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    std::uint8_t PackedFields = 0;  // 0x80 global table, 0x70 resolution, 0x08 sorted, 0x07 size
    std::uint8_t BackgroundColorIndex = 0;
    std::uint8_t AspectRatio = 0;
};

struct TImageDescriptor {
    std::uint8_t Separator = 0x2C;
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t PackedFields = 0;  // 0x80 local table, 0x40 interlaced, 0x20 sorted, 0x07 size
    template <class Self>
    static auto Fields(Self& r) { return std::tie(r.Separator, r.Left, r.Top, r.Width, r.Height, r.PackedFields); }

};

struct TGIFGCERec {
    std::uint8_t BlockSize = 4;
    std::uint8_t PackedFields = 0;  // bit 0 transparent, bit 1 user input, bits 2-4 disposal
    std::uint16_t Delay = 0;        // hundredths of a second
    std::uint8_t TransparentColorIndex = 0;
    std::uint8_t Terminator = 0;
    template <class Self>
    static auto Fields(Self& r) { return std::tie(r.BlockSize, r.PackedFields, r.Delay, r.TransparentColorIndex, r.Terminator); }

};

struct TGIFPlainTextExtensionRec {
    std::uint8_t BlockSize = 12;
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t CellWidth = 0;
    std::uint8_t CellHeight = 0;
    std::uint8_t TextFGColorIndex = 0;
    std::uint8_t TextBGColorIndex = 0;
    template <class Self>
    static auto Fields(Self& r) { return std::tie(r.BlockSize, r.Left, r.Top, r.Width, r.Height, r.CellWidth, r.CellHeight,
                                     r.TextFGColorIndex, r.TextBGColorIndex); }

};

using TGIFIdentifierCode = char[8];
using TGIFAuthenticationCode = char[3];

struct TGIFApplicationRec {
    TGIFIdentifierCode Identifier = {};
    TGIFAuthenticationCode Authentication = {};
};

// Warnings: sender, severity, message. The codec only ever issues gsWarning.
using TGIFWarning = std::function<void(const void* sender, TGIFSeverity severity, const std::string& message)>;

// Defaults every new TGIFImage starts from.
inline constexpr TGIFDrawOptions GIFImageDefaultDrawOptions =
    DrawOption(goAsync) | DrawOption(goTransparent) | DrawOption(goAnimate) | DrawOption(goLoop) |
    DrawOption(goClearOnLoop) | DrawOption(goDither) | DrawOption(goAutoDither);
inline constexpr TColorReduction GIFImageDefaultColorReduction = rmNetscape;
inline constexpr int GIFImageDefaultColorReductionBits = 8;
inline constexpr TDitherMode GIFImageDefaultDitherMode = dmNearest;
inline constexpr TGIFCompression GIFImageDefaultCompression = gcLZW;
inline constexpr int GIFImageDefaultAnimationSpeed = 100;
inline constexpr bool GIFImageRenderOnLoad = false;

}  // namespace tessolo

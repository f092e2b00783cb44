// The tables that tie file types to codecs. The build picks a source decoder
// by the file's extension and a sheet encoder by the output type, so a codec
// plugs in by adding its rows here and nothing in the pipeline changes.
#pragma once

#include "codecs/avif/avif_codec.h"
#include "codecs/bmp/bmp_codec.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/png/png_codec.h"
#include "codecs/webp/webp_codec.h"
#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "settings/format_prefs.h"

#include <string>
#include <string_view>

namespace tessolo {

// The options of every sheet encoder; a build writes its sheet with those of
// its output type.
struct SheetEncoding {
    JpegSheetOptions jpeg;
    PngSheetOptions png;
    GifSheetOptions gif;
    BmpSheetOptions bmp;
    WebpSheetOptions webp;
    AvifSheetOptions avif;
    // GIF sheets take the 256 colours that the quantiser picks for the sheet
    // rather than the web palette.
    bool gifQuantizer = false;

    friend bool operator==(const SheetEncoding&, const SheetEncoding&) = default;
};

struct SourceCodec {
    const char* extension;  // of source files, lower case, with the dot: ".png"
    // Decodes a source file into a bitmap; throws the codec's error.
    Bitmap (*loadSource)(const std::string& path);
    // For scalable sources: drawn at a size, its longer side that many
    // pixels (0: its own size), at `scale` times that for dense screens;
    // nullptr for raster sources.
    Bitmap (*loadSized)(const std::string& path, int longerSide, int scale) = nullptr;
    // For codecs that can: the same pixels as loadSource, a row at a time.
    void (*loadRows)(const std::string& path, const SourceRows& rows) = nullptr;
    // For codecs that read only some of their files better a row at a time:
    // whether this one is (nullptr: every file when loadRows is set).
    bool (*readsRows)(const std::string& path) = nullptr;
};

struct SheetCodec {
    OutputType type;
    // Encodes a finished sheet with the format's options.
    Bytes (*encodeSheet)(const Bitmap& sheet, const SheetEncoding& options);
    // For formats that can: hands `write` the same file piece by piece as
    // it is encoded, so that it is never held whole; nullptr for the others.
    void (*writeSheet)(const Bitmap& sheet, const SheetEncoding& options,
                       const ByteSink& write) = nullptr;
};

// Hands `write` the file of a finished sheet: piece by piece when the codec
// writes that way, otherwise whole.
void WriteSheetFile(const SheetCodec& codec, const Bitmap& sheet, const SheetEncoding& options,
                    const ByteSink& write);

// The source codec for a file extension (compared without case), or nullptr.
const SourceCodec* FormatForExtension(std::string_view extension);
// The codec that writes sheets of an output type.
const SheetCodec& FormatForOutput(OutputType type);

}  // namespace tessolo

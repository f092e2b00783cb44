#include "codecs/png/png_errors.h"

namespace tessolo {

EPNGInvalidFileHeader::EPNGInvalidFileHeader()
    : Error("The file being readed is not a valid \"Portable Network Graphics\" image because it "
            "contains an invalid header. This file may be corruped, try obtaining it again.") {}

EPngUnexpectedEnd::EPngUnexpectedEnd()
    : Error("This \"Portable Network Graphics\" image is invalid because the decoder found an "
            "unexpected end of the file.") {}

EPNGIHDRNotFirst::EPNGIHDRNotFirst()
    : Error("This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
            "(IHDR chunk is not the first)") {}

EPngInvalidCRC::EPngInvalidCRC()
    : Error("This \"Portable Network Graphics\" image is not valid because it contains invalid "
            "pieces of data (crc error)") {}

EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk()
    : Error("This \"Portable Network Graphics\" image contains an unknown critical part which "
            "could not be decoded.") {}

EPNGNoImageData::EPNGNoImageData()
    : Error("This \"Portable Network Graphics\" image contains no data.") {}

EPngInvalidIHDR::EPngInvalidIHDR()
    : Error("The \"Portable Network Graphics\" image could not be loaded because one of its main "
            "piece of data (ihdr) might be corrupted") {}

EPNGSizeExceeds::EPNGSizeExceeds()
    : Error("This \"Portable Network Graphics\" image is not supported because either it's width "
            "or height exceeds the maximum size, which is 2147483647 pixels length.") {}

EPNGUnknownCompression::EPNGUnknownCompression()
    : Error("This \"Portable Network Graphics\" image is encoded with an unknown compression "
            "scheme which could not be decoded.") {}

EPNGUnknownInterlace::EPNGUnknownInterlace()
    : Error("This \"Portable Network Graphics\" image uses an unknown interlace scheme which "
            "could not be decoded.") {}

EPNGInvalidPalette::EPNGInvalidPalette()
    : Error("The \"Portable Network Graphics\" image contains an invalid palette.") {}

EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT()
    : Error("This \"Portable Network Graphics\" image is invalid because it has missing image "
            "parts.") {}

EPNGHeaderNotPresent::EPNGHeaderNotPresent()
    : Error("This operation is not valid because the current image contains no valid header.") {}

EPNGInvalidSpec::EPNGInvalidSpec()
    : Error("The \"Portable Network Graphics\" could not be created because invalid image type "
            "parameters have being provided.") {}

EPNGCannotChangeTransparent::EPNGCannotChangeTransparent()
    : Error("Setting bit transparency color is not allowed for png images containing alpha value "
            "for each pixel (COLOR_RGBALPHA and COLOR_GRAYSCALEALPHA)") {}

EPNGInvalidNewSize::EPNGInvalidNewSize()
    : Error("The new size provided for image resizing is invalid.") {}

EPNGImageTooLarge::EPNGImageTooLarge()
    : Error("This \"Portable Network Graphics\" image is too large: its pixels would need more "
            "than 1 GiB of memory.") {}

EPNGZLIBError::EPNGZLIBError(int zlibResult)
    : Error("Could not decompress the image because it contains invalid compressed data.\r\n"
            " Description: " + ZlibResultText(zlibResult)) {}

EPNGInvalidHeaderValues::EPNGInvalidHeaderValues(const std::string& detail)
    : Error("This \"Portable Network Graphics\" image is invalid because " + detail) {}

const char* const kPngAddExistingCriticalText =
    "The program tried to add a existent critical chunk to the current image which is not allowed.";
const char* const kPngAddToInvalidImageText =
    "It's not allowed to add a new chunk because the current image is invalid.";
const char* const kPngIncompatibleChunksText = "The chunks must be compatible to be assigned.";
const char* const kPngNoPaletteEntryText = "There is no such palette entry.";

std::string ZlibResultText(int zlibResult)
{
    static const char* const kTexts[] = {
        "incompatible version (-6)", "buffer error (-5)", "insufficient memory (-4)",
        "data error (-3)", "stream error (-2)", "file error (-1)", "(0)", "stream end (1)",
        "need dictionary (2)",
    };
    if (zlibResult < -6 || zlibResult > 2) {
        std::string text = "(";
        text += std::to_string(zlibResult);
        text += ")";
        return text;
    }
    return kTexts[zlibResult + 6];
}

}  // namespace tessolo

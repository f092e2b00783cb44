#include "platform/error.h"

#include <utility>

namespace tessolo {

InvalidGraphic::InvalidGraphic() : Error("Bitmap image is not valid") {}

FileError::FileError(const std::string& message, std::string reason)
    : Error(message), reason_(std::move(reason))
{
}

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : FileError("Cannot open file " + path + ": " + reason, reason)
{
}

FileCreateError::FileCreateError(const std::string& path, const std::string& reason)
    : FileError("Cannot create file " + path + ": " + reason, reason)
{
}

SheetTooLargeError::SheetTooLargeError(int width, int height, const std::string& format, int maxSide)
    : Error("The sheet is " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels, but a " + format + " image has at most " + std::to_string(maxSide) +
            " pixels a side: use the grid layout or another output type")
{
}

std::string ErrorReportText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) <= '.')
        return message;
    return message + ".";
}

}  // namespace tessolo

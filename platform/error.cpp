#include "platform/error.h"

namespace tessolo {

InvalidGraphic::InvalidGraphic() : Error("Bitmap image is not valid") {}

FileOpenError::FileOpenError(const std::string& path) : Error("Cannot open file " + path) {}

FileCreateError::FileCreateError(const std::string& path) : Error("Cannot create file " + path) {}

std::string ErrorReportText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) <= '.')
        return message;
    return message + ".";
}

}  // namespace tessolo

// Exception classes shared by the whole core. Every failure is an exception;
// front ends show its message (see ErrorReportText).
#pragma once

#include <stdexcept>
#include <string>

namespace tessolo {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A damaged or unsupported bitmap file: "Bitmap image is not valid".
class InvalidGraphic : public Error {
public:
    InvalidGraphic();
};

// A file that cannot be opened for reading:
// "Cannot open file <path>: <reason>".
class FileOpenError : public Error {
public:
    FileOpenError(const std::string& path, const std::string& reason);
};

// A file that cannot be created: "Cannot create file <path>: <reason>".
class FileCreateError : public Error {
public:
    FileCreateError(const std::string& path, const std::string& reason);
    // Why, in the system's words ("Permission denied").
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// A sheet larger than its file format can hold.
class SheetTooLargeError : public Error {
public:
    SheetTooLargeError(int width, int height, const std::string& format, int maxSide);
};

// The caption of the standard error report, the message box that shows an
// exception's text.
inline constexpr const char* kErrorReportCaption = "Tessolo";

// The text of the standard error report: the message with a full stop
// appended unless it already ends in "." or a character that sorts below it.
std::string ErrorReportText(const std::string& message);

}  // namespace tessolo

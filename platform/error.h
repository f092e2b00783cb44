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

// A file that cannot be opened for reading: "Cannot open file <path>".
class FileOpenError : public Error {
public:
    explicit FileOpenError(const std::string& path);
};

// A file that cannot be created or written: "Cannot create file <path>".
class FileCreateError : public Error {
public:
    explicit FileCreateError(const std::string& path);
};

// A sheet larger than its file format can hold.
class SheetTooLargeError : public Error {
public:
    SheetTooLargeError(int width, int height, const std::string& format, int maxSide);
};

// The text of the standard error report: the message with a full stop
// appended unless it already ends in "." or a character that sorts below it.
std::string ErrorReportText(const std::string& message);

}  // namespace tessolo

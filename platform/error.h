// Exception classes shared by the whole core, and the one rule by which its
// parts fail:
//
// - The core (everything but the windows and the command line's main)
//   reports a failure by throwing an exception derived from Error; its
//   message is a sentence a user can be shown. A failure that a caller must
//   tell from the others has a class of its own (FolderBusyError: another
//   build holds the folder, and the watch tries again).
// - A check that finds several problems at once (the validation of a
//   build's inputs, the damaged values of a settings store) returns them as
//   text, and a notice that does not stop the work (a warning, a count) goes
//   to an observer. Neither is a failure.
// - A lookup that may find nothing (the codec of a file type) returns an
//   empty result; finding nothing is not a failure.
// - Exceptions become text only at an edge: a build catches what ends it and
//   tells its BuildObserver and caller (BuildResult); the windows show
//   ErrorReportText in a message box, and tessolo-cli prints it and sets its
//   exit status.
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

// A file or folder that cannot be opened, created or locked.
class FileError : public Error {
public:
    FileError(const std::string& message, std::string reason);
    // Why, in a few words: the system's ("Permission denied") or our own.
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

// A file that cannot be opened for reading:
// "Cannot open file <path>: <reason>".
class FileOpenError : public FileError {
public:
    FileOpenError(const std::string& path, const std::string& reason);
};

// A file that cannot be created: "Cannot create file <path>: <reason>".
class FileCreateError : public FileError {
public:
    FileCreateError(const std::string& path, const std::string& reason);
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

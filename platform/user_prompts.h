// How the program talks to the person in front of it: message boxes and
// yes/no questions. Windows show them as modal boxes; tests answer them.
#pragma once

#include <string>

namespace tessolo {

// None: a plain box without an icon, as the build's own messages are.
enum class PromptIcon { Information, Warning, Error, Question, None };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A box with one OK button; returns when it is dismissed.
    virtual void Show(const std::string& caption, const std::string& text, PromptIcon icon) = 0;
    // A box with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
};

}  // namespace tessolo

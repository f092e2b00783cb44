// How the program talks to the person in front of it: message boxes, yes/no
// questions and the progress of a long task. Windows show them as modal
// boxes; tests answer them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tessolo {

// None: a plain box without an icon, as the build's own messages are.
enum class PromptIcon { Information, Warning, Error, Question, None };

// A box that shows how far a task has come, with a Cancel button; it goes
// away when it is released.
class ProgressPrompt {
public:
    virtual ~ProgressPrompt() = default;
    // `total` below 0: not known.
    virtual void SetProgress(std::int64_t done, std::int64_t total) = 0;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A box with one OK button; returns when it is dismissed.
    virtual void Show(const std::string& caption, const std::string& text, PromptIcon icon) = 0;
    // A box with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // Shows a progress box and returns at once; `cancelled` runs from the
    // event loop when the person presses Cancel.
    virtual std::unique_ptr<ProgressPrompt> ShowProgress(const std::string& caption,
                                                         const std::string& text,
                                                         std::function<void()> cancelled) = 0;
};

}  // namespace tessolo

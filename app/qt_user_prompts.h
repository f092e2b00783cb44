// Message boxes, questions and progress as modal Qt boxes. Every text is
// shown as plain text: it may come from elsewhere, such as the update server,
// and must never be read as markup.
#pragma once

#include "platform/user_prompts.h"

class QWidget;

namespace tessolo {

class QtUserPrompts : public UserPrompts {
public:
    // Boxes are centred over `parent` when one is given.
    void SetParent(QWidget* parent) { parent_ = parent; }
    void Show(const std::string& caption, const std::string& text, PromptIcon icon) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    std::unique_ptr<ProgressPrompt> ShowProgress(const std::string& caption,
                                                 const std::string& text,
                                                 std::function<void()> cancelled) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace tessolo

// Message boxes and questions as modal Qt boxes.
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

private:
    QWidget* parent_ = nullptr;
};

}  // namespace tessolo

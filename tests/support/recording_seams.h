// Stand-ins for the person and the desktop: answers questions from a list
// and records every message, question and opened address.
#pragma once

#include "info/desktop_services.h"
#include "platform/user_prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace tessolo::test {

struct Prompt {
    std::string caption;
    std::string text;
    bool question = false;
    PromptIcon icon = PromptIcon::Question;
};

class RecordingPrompts : public UserPrompts {
public:
    void Show(const std::string& caption, const std::string& text, PromptIcon icon) override
    {
        prompts.push_back({caption, text, false, icon});
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override
    {
        prompts.push_back({caption, text, true});
        if (answers.empty())
            return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Prompt> prompts;
    std::deque<bool> answers;  // No once it runs out
};

class RecordingDesktop : public DesktopServices {
public:
    void OpenUrl(const std::string& url) override { urls.push_back(url); }
    void OpenFile(const std::string& path) override { files.push_back(path); }

    std::vector<std::string> urls;
    std::vector<std::string> files;
};

}  // namespace tessolo::test

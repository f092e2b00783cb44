// Stand-ins for the person and the desktop: answers questions from a list
// and records every message, question, progress box and opened address.
#pragma once

#include "info/desktop_services.h"
#include "platform/user_prompts.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessolo::test {

struct Prompt {
    std::string caption;
    std::string text;
    bool question = false;
    PromptIcon icon = PromptIcon::Question;
};

struct ProgressBox {
    std::string caption;
    std::string text;
    std::int64_t done = -1;
    std::int64_t total = -1;
    bool open = true;
    std::function<void()> cancel;  // presses its Cancel button
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

    std::unique_ptr<ProgressPrompt> ShowProgress(const std::string& caption,
                                                 const std::string& text,
                                                 std::function<void()> cancelled) override
    {
        progress.push_back({caption, text, -1, -1, true, std::move(cancelled)});
        return std::make_unique<Progress>(progress, progress.size() - 1);
    }

    std::vector<Prompt> prompts;
    std::deque<bool> answers;  // No once it runs out
    std::vector<ProgressBox> progress;

private:
    class Progress : public ProgressPrompt {
    public:
        Progress(std::vector<ProgressBox>& boxes, std::size_t index)
            : boxes_(boxes), index_(index)
        {
        }
        ~Progress() override
        {
            if (index_ < boxes_.size())
                boxes_[index_].open = false;
        }
        void SetProgress(std::int64_t done, std::int64_t total) override
        {
            if (index_ < boxes_.size()) {
                boxes_[index_].done = done;
                boxes_[index_].total = total;
            }
        }

    private:
        std::vector<ProgressBox>& boxes_;
        std::size_t index_;
    };
};

class RecordingDesktop : public DesktopServices {
public:
    void OpenUrl(const std::string& url) override { urls.push_back(url); }
    void OpenFile(const std::string& path) override { files.push_back(path); }

    std::vector<std::string> urls;
    std::vector<std::string> files;
};

}  // namespace tessolo::test

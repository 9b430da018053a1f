#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

namespace tq260::testing {

// Message boxes answered from a script; every box shown is kept.
class ScriptedMessages final : public MessageBoxes {
  public:
    void tell(const std::u16string& text, const std::u16string& caption) override {
        shown.push_back(text + u" | " + caption);
    }
    void warn(const std::u16string& text, const std::u16string& caption) override {
        tell(text, caption);
        warnings.push_back(shown.back());
    }
    bool ask(const std::u16string& text, const std::u16string& caption) override {
        shown.push_back(text + u" | " + caption);
        if (whileAsking) whileAsking();
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // Answers the question with the answer given in choices (the last answer when none is
    // left); the answers offered are kept in offered.
    std::size_t choose(const std::u16string& text, const std::u16string& caption,
                       const std::vector<std::u16string>& answers) override {
        shown.push_back(text + u" | " + caption);
        offered.push_back(answers);
        if (whileAsking) whileAsking();
        if (choices.empty()) return answers.size() - 1;
        const std::size_t choice = choices.front();
        choices.pop_front();
        return choice;
    }
    std::deque<bool> answers;
    std::deque<std::size_t> choices;
    std::vector<std::vector<std::u16string>> offered;
    // Runs while a question is up, as the rest of the program may while a box waits.
    std::function<void()> whileAsking;
    std::vector<std::u16string> shown;
    std::vector<std::u16string> warnings;  // those of shown that told a failure
};

}  // namespace tq260::testing

#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_pickers.h"

namespace tq260::testing {

// File and folder choosers answered from a script (nothing scripted: cancelled); every
// request is kept.
class ScriptedPickers final : public FilePickers {
  public:
    std::optional<std::u16string> openFile(const Request& request) override {
        return answer(request);
    }
    std::optional<std::u16string> saveFile(const Request& request) override {
        return answer(request);
    }
    std::optional<std::u16string> folder(const Request& request) override {
        return answer(request);
    }

    std::deque<std::optional<std::u16string>> answers;
    std::vector<Request> requests;

  private:
    std::optional<std::u16string> answer(const Request& request) {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        auto chosen = answers.front();
        answers.pop_front();
        return chosen;
    }
};

}  // namespace tq260::testing

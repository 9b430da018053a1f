// What the main window talks through, in a benchmark: message boxes answered at once (each
// counted), nothing started or opened, no diagnostics.
#pragma once

#include <string>
#include <string_view>

#include "platform/diagnostics.h"
#include "platform/message_boxes.h"
#include "platform/program_starter.h"
#include "platform/shell_launcher.h"

namespace tq260 {

class BenchServices final : public MessageBoxes,
                            public ProgramStarter,
                            public ShellLauncher,
                            public Diagnostics {
  public:
    // answer: what every question is answered.
    explicit BenchServices(bool answer = false) : answer_(answer) {}
    void tell(const std::u16string&, const std::u16string&) override { ++told; }
    bool ask(const std::u16string&, const std::u16string&) override { return answer_; }
    bool start(const std::u16string&, const std::u16string&) override { return false; }
    bool openWebPage(const std::u16string&) override { return false; }
    Result open(const std::u16string&, const std::u16string&) override { return Result::Failed; }
    void debugText(std::string_view) override {}
    int told = 0;

  private:
    bool answer_;
};

}  // namespace tq260

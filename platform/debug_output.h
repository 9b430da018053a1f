#pragma once

#include "platform/diagnostics.h"

namespace tq260 {

// The debugger's output on Windows, standard error elsewhere.
class DebugOutput final : public Diagnostics {
  public:
    void debugText(std::string_view text) override;
};

}  // namespace tq260

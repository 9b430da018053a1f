#pragma once

#include "platform/diagnostics.h"

namespace tq260 {

// The device link's diagnostic texts, on the program's trace category (off unless enabled).
class QtDiagnostics final : public Diagnostics {
  public:
    void debugText(std::string_view text) override;
};

}  // namespace tq260

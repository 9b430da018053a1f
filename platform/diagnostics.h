#pragma once

#include <string_view>

namespace tq260 {

// Diagnostic text for whoever debugs the program; users never see it.
class Diagnostics {
  public:
    virtual ~Diagnostics() = default;
    virtual void debugText(std::string_view text) = 0;
};

}  // namespace tq260

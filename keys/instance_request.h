#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tq260 {

// What a later start of the program asks of the running copy.
struct InstanceRequest {
    enum class Kind { Show, LaunchKey };
    Kind kind = Kind::Show;
    unsigned key = 0;  // for LaunchKey: the virtual-key code, 0..255

    friend bool operator==(const InstanceRequest&, const InstanceRequest&) = default;
};

// The message that carries a request between copies.
std::string instanceMessage(const InstanceRequest& request);

// "show", or "launch-key " and a key code as the command line takes it; nothing for
// anything else, so a damaged or foreign message does nothing.
std::optional<InstanceRequest> parseInstanceMessage(std::string_view message);

}  // namespace tq260

#include "keys/instance_request.h"

#include "keys/launch_for_key.h"

namespace tq260 {

namespace {

constexpr std::string_view kShow = "show";
constexpr std::string_view kLaunchKey = "launch-key ";

}  // namespace

std::string instanceMessage(const InstanceRequest& request) {
    if (request.kind == InstanceRequest::Kind::Show) return std::string(kShow);
    return std::string(kLaunchKey) + std::to_string(request.key);
}

std::optional<InstanceRequest> parseInstanceMessage(std::string_view message) {
    if (message == kShow) return InstanceRequest{};
    if (!message.starts_with(kLaunchKey)) return std::nullopt;
    const auto key = parseVirtualKeyCode(message.substr(kLaunchKey.size()));
    if (!key) return std::nullopt;
    return InstanceRequest{InstanceRequest::Kind::LaunchKey, *key};
}

}  // namespace tq260

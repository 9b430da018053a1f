#include "platform/i3_ipc.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>

namespace tq260::i3ipc {

namespace {

using nlohmann::json;

std::string stringAt(const json& node, const char* key) {
    const auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A window's application: sway's app id (Wayland windows), else the X11 class (XWayland,
// and every window under i3).
std::optional<FrontApplication> applicationOf(const json& node, int ownPid) {
    if (!node.is_object()) return std::nullopt;
    FrontApplication front;
    front.id = stringAt(node, "app_id");
    if (front.id.empty()) {
        const auto properties = node.find("window_properties");
        if (properties != node.end() && properties->is_object()) {
            front.id = stringAt(*properties, "class");
        }
    }
    if (front.id.empty()) return std::nullopt;
    const auto pid = node.find("pid");
    if (pid != node.end() && pid->is_number_integer() && pid->get<long long>() > 0) {
        const long long value = pid->get<long long>();
        front.ownWindow = value == ownPid;
        std::error_code error;
        const auto path =
            std::filesystem::read_symlink("/proc/" + std::to_string(value) + "/exe", error);
        if (!error) front.executablePath = path.string();
    }
    return withinBounds(std::move(front));
}

// Every window of a tree, depth first, tiled and floating alike; bounded depth, so a
// hostile reply cannot exhaust the stack.
void forEachWindow(const json& node, const std::function<void(const json&)>& visit, int depth = 0) {
    if (!node.is_object() || depth > 256) return;
    visit(node);
    for (const char* children : {"nodes", "floating_nodes"}) {
        const auto found = node.find(children);
        if (found == node.end() || !found->is_array()) continue;
        for (const json& child : *found) forEachWindow(child, visit, depth + 1);
    }
}

json parsed(std::string_view payload) {
    return json::parse(payload, nullptr, false);
}

}  // namespace

std::string message(std::uint32_t type, std::string_view payload) {
    std::string bytes(kMagic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
    bytes.append(payload);
    return bytes;
}

std::optional<Message> takeMessage(std::string& bytes, bool& broken) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    std::uint32_t length = 0;
    Message taken;
    std::memcpy(&length, bytes.data() + kMagic.size(), sizeof length);
    std::memcpy(&taken.type, bytes.data() + kMagic.size() + 4, sizeof taken.type);
    if (bytes.compare(0, kMagic.size(), kMagic) != 0 || length > kMaxPayload) {
        broken = true;
        return std::nullopt;
    }
    if (bytes.size() - kHeaderSize < length) return std::nullopt;
    taken.payload = bytes.substr(kHeaderSize, length);
    bytes.erase(0, kHeaderSize + length);
    return taken;
}

std::optional<FrontApplication> focusedByEvent(std::string_view payload, int ownPid) {
    const json event = parsed(payload);
    if (!event.is_object() || stringAt(event, "change") != "focus") return std::nullopt;
    const auto container = event.find("container");
    return container != event.end() ? applicationOf(*container, ownPid) : std::nullopt;
}

std::optional<FrontApplication> focusedInTree(std::string_view payload, int ownPid) {
    std::optional<FrontApplication> focused;
    forEachWindow(parsed(payload), [&](const json& node) {
        const auto flag = node.find("focused");
        if (flag != node.end() && flag->is_boolean() && flag->get<bool>()) {
            focused = applicationOf(node, ownPid);
        }
    });
    return focused;
}

std::vector<FrontApplication> applicationsInTree(std::string_view payload, int ownPid) {
    std::vector<FrontApplication> open;
    std::set<std::string> seen;
    forEachWindow(parsed(payload), [&](const json& node) {
        const auto application = applicationOf(node, ownPid);
        if (application && !application->ownWindow && !application->id.empty() &&
            seen.insert(application->id).second) {
            open.push_back(*application);
        }
    });
    return open;
}

}  // namespace tq260::i3ipc

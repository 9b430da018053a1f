#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/front_application.h"

namespace tq260 {

// The IPC messages sway and i3 speak on their socket: "i3-ipc", the payload's length and
// the message's type (both 32-bit, in the machine's order), then the payload (JSON).
namespace i3ipc {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 8;
// Larger than any real tree; a longer message means the socket speaks something else.
constexpr std::uint32_t kMaxPayload = 64u << 20;
constexpr std::uint32_t kSubscribe = 2;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kWindowEvent = 0x80000003;

std::string message(std::uint32_t type, std::string_view payload);

struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

// Takes the first whole message off the front of the bytes read so far; nothing while it is
// incomplete. Bytes that are not a message make `broken` true.
std::optional<Message> takeMessage(std::string& bytes, bool& broken);

// A window event's application when it says focus moved to it.
std::optional<FrontApplication> focusedByEvent(std::string_view payload, int ownPid);
// The focused window's application in a tree (GET_TREE's reply).
std::optional<FrontApplication> focusedInTree(std::string_view payload, int ownPid);
// Every application with a window in the tree, once each, but the program's own.
std::vector<FrontApplication> applicationsInTree(std::string_view payload, int ownPid);

}  // namespace i3ipc

}  // namespace tq260

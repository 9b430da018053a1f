#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/key_input_source.h"

struct libevdev;
struct input_event;

namespace tq260 {

// The keyboard's keystrokes on Linux, from its own evdev nodes (libevdev). The nodes are
// only read, never grabbed: the desktop goes on getting every key as before.
class EvdevKeyInput final : public KeyInputSource {
  public:
    EvdevKeyInput(std::uint16_t vendorId, std::uint16_t productId);
    ~EvdevKeyInput() override;
    EvdevKeyInput(const EvdevKeyInput&) = delete;
    EvdevKeyInput& operator=(const EvdevKeyInput&) = delete;

    // Opens the keyboard's nodes that report keys, as the device manager lists them.
    Opened open() override;
    // Opens these nodes; NoPermission when none could be opened and one of them refused this
    // user.
    Opened openNodes(const std::vector<std::string>& paths);
    // Reads raw input events from a stream that is no evdev node (a pipe a test writes
    // into), beside the nodes and in the same way; the input owns fd from now on.
    void addEventStream(int fd);
    std::optional<KeyInput> next() override;
    void stop() override;

    // The event nodes of the USB device with these ids.
    static std::vector<std::string> inputNodesOf(std::uint16_t vendorId, std::uint16_t productId);

  private:
    struct Node {
        int fd = -1;
        libevdev* device = nullptr;  // none: a raw stream of input events
    };
    void closeNodes();
    // Reads what a node has; false when it has gone.
    bool drain(Node& node);
    bool drainStream(Node& node);
    // One key event as the keyboard reported it.
    void take(const input_event& event);

    std::uint16_t vendorId_;
    std::uint16_t productId_;
    std::vector<Node> nodes_;
    std::deque<KeyInput> pending_;
    int wakeFd_ = -1;
};

}  // namespace tq260

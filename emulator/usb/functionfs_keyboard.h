#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/usb/functionfs_descriptors.h"
#include "emulator/virtual_keyboard.h"

struct usb_ctrlrequest;

namespace tq260 {

// The virtual keyboard's firmware served to a USB host through FunctionFS: control requests on
// ep0 (report descriptors, feature reports), block reports on interface 3's interrupt
// endpoints, event reports on interface 1's, typed keys on the boot keyboard's. The host
// unbinding the gadget is an unplug, binding it again a plug.
class FunctionFsKeyboard {
  public:
    // Told what the keyboard did on the bus ("enabled", "disabled"), from the ep0 thread.
    using Announce = std::function<void(const std::string&)>;

    FunctionFsKeyboard(VirtualKeyboard& keyboard, std::filesystem::path functionFs,
                       Announce announce);
    ~FunctionFsKeyboard();
    FunctionFsKeyboard(const FunctionFsKeyboard&) = delete;
    FunctionFsKeyboard& operator=(const FunctionFsKeyboard&) = delete;

    // Writes the descriptors and opens the endpoints; the gadget may be bound after this.
    bool open(std::string& error);
    // Serves ep0 until stop(); the endpoints are served by threads of their own meanwhile.
    void run();
    // From any thread.
    void stop();

    // A key pressed and let go on the boot keyboard (a HID keyboard usage).
    void typeKey(std::uint8_t usage);
    // Moves the keyboard's waiting event reports to the event endpoint.
    void forwardEvents();
    // Whether the host has configured the keyboard and may poll its endpoints; false while an
    // unbinding is on its way, so an unplug the keyboard hears of then is the host's own.
    bool enabled() const { return enabled_; }

  private:
    struct InEndpoint {
        int fd = -1;
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::vector<std::uint8_t>> queue;
        std::thread thread;
    };

    void handleSetup(const usb_ctrlrequest& request);
    void reply(std::uint16_t length, const std::uint8_t* data, std::size_t size);
    bool receive(std::uint16_t length, std::vector<std::uint8_t>& data);
    void stall(bool in);
    void setEnabled(bool enabled);
    void forwardCommandReports();
    void queueIn(KeyboardEndpoint endpoint, std::vector<std::uint8_t> report);
    void serveIn(InEndpoint& endpoint);
    void serveCommandOut();
    InEndpoint& in(KeyboardEndpoint endpoint);

    VirtualKeyboard& keyboard_;
    std::filesystem::path functionFs_;
    Announce announce_;
    int ep0_ = -1;
    int stopFd_ = -1;
    int commandOutFd_ = -1;
    std::array<InEndpoint, 4> ins_;
    std::thread commandOut_;

    std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::atomic<bool> enabled_{false};
    std::uint64_t generation_ = 0;  // counts enabling and disabling, under stateMutex_
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> connection_{0};
};

}  // namespace tq260

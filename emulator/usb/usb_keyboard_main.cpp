// tq260-usb-keyboard: the virtual keyboard as a USB device (04d9:a12f) to this machine's own
// kernel, through configfs and FunctionFS on a device controller such as dummy_hcd's. The
// program and the tool then reach it as a real keyboard: usbhid, hidraw, hidapi, udev, evdev.
//
// Reads commands on standard input, one per line:
//   type USAGE                       a key pressed and let go on the boot keyboard
//   lighting EFFECT BRIGHT SPEED DIRECTION OPTION   the user changes the lighting on the keyboard
//   unplug | plug                    unbinds or binds the gadget
//   quit                             (or the end of input, or SIGTERM)
// Says "ready" once the gadget is bound, and "enabled"/"disabled" as the host takes it or
// lets it go.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <condition_variable>
#include <deque>
#include <iomanip>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "emulator/keyboard_faults.h"
#include "emulator/usb/functionfs_keyboard.h"
#include "emulator/usb/usb_gadget.h"
#include "platform/real_clock.h"

namespace {

using namespace tq260;

// The gadget is bound and unbound off the threads that serve it: the kernel waits for the
// function to be disabled, which those threads take part in.
class PlugWorker {
  public:
    explicit PlugWorker(UsbGadget& gadget, std::string controller)
        : gadget_(gadget), controller_(std::move(controller)), thread_([this] { work(); }) {}
    ~PlugWorker() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            wake_.notify_all();
        }
        thread_.join();
    }
    void request(bool plug) {
        std::lock_guard lock(mutex_);
        requests_.push_back(plug);
        wake_.notify_all();
    }

  private:
    void work() {
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [&] { return stopping_ || !requests_.empty(); });
            if (stopping_) return;
            const bool plug = requests_.front();
            requests_.pop_front();
            lock.unlock();
            const bool done = plug ? gadget_.bind(controller_) : gadget_.unbind();
            if (!done)
                std::cerr << "tq260-usb-keyboard: " << (plug ? "bind" : "unbind") << " failed\n";
            lock.lock();
        }
    }

    UsbGadget& gadget_;
    std::string controller_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<bool> requests_;
    bool stopping_ = false;
    std::thread thread_;
};

// One line of standard input; false to stop.
bool obey(const std::string& line, FunctionFsKeyboard& function, VirtualKeyboard& keyboard,
          PlugWorker& plugs) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "quit") return false;
    if (verb == "type") {
        unsigned usage = 0;
        words >> std::setbase(0) >> usage;
        if (words && usage <= 0xFF) function.typeKey(static_cast<std::uint8_t>(usage));
    } else if (verb == "lighting") {
        int effect = 0, brightness = 0, speed = 0, direction = 0, option = 0;
        words >> effect >> brightness >> speed >> direction >> option;
        if (words) {
            LightingSettings lighting;
            lighting.effect = static_cast<std::uint8_t>(effect);
            lighting.brightness = static_cast<std::uint8_t>(brightness);
            lighting.speed = static_cast<std::uint8_t>(speed);
            lighting.direction = static_cast<std::uint8_t>(direction);
            lighting.option = static_cast<std::uint8_t>(option);
            keyboard.changeLightingOnKeyboard(lighting);
            function.forwardEvents();
        }
    } else if (verb == "unplug" || verb == "plug") {
        plugs.request(verb == "plug");
    } else if (!verb.empty()) {
        std::cerr << "tq260-usb-keyboard: unknown command \"" << verb << "\"\n";
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The virtual keyboard as a USB device, through configfs and FunctionFS."};
    std::string memoryFile;
    std::string faultText;
    std::string controller;
    std::string configfs = "/sys/kernel/config";
    std::string mountPoint = "/run/tq260-usb-keyboard";
    app.add_option("--memory", memoryFile, "Keep the keyboard's memory in FILE.")->required();
    app.add_option("--faults", faultText, kKeyboardFaultsSyntax);
    app.add_option("--udc", controller, "The device controller (default: the first one).");
    app.add_option("--configfs", configfs, "Where configfs is mounted.");
    app.add_option("--functionfs", mountPoint, "Where to mount the function's FunctionFS.");
    CLI11_PARSE(app, argc, argv);

    KeyboardFaults faults;
    if (!faultText.empty()) {
        std::string error;
        const auto parsed = parseKeyboardFaults(faultText, error);
        if (!parsed) {
            std::cerr << "tq260-usb-keyboard: " << error << "\n";
            return 2;
        }
        faults = *parsed;
    }
    if (controller.empty()) controller = UsbGadget::firstController();
    if (controller.empty()) {
        std::cerr << "tq260-usb-keyboard: no USB device controller (modprobe dummy_hcd)\n";
        return 1;
    }

    // SIGTERM and SIGINT end the program as "quit" does, read from a descriptor.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::mutex outputMutex;
    const auto say = [&](const std::string& line) {
        std::lock_guard lock(outputMutex);
        std::cout << line << std::endl;
    };

    RealClock clock;
    VirtualKeyboard keyboard(clock);
    keyboard.attachStorage(memoryFile, [](const std::filesystem::path& file) {
        std::cerr << "tq260-usb-keyboard: cannot keep the memory in " << file << "\n";
    });
    applyKeyboardFaults(faults, keyboard);

    auto gadget = std::make_unique<UsbGadget>(configfs, mountPoint);
    if (!gadget->ready()) {
        std::cerr << "tq260-usb-keyboard: " << gadget->error() << "\n";
        return 1;
    }
    auto function = std::make_unique<FunctionFsKeyboard>(keyboard, gadget->functionFs(), say);
    std::string error;
    if (!function->open(error)) {
        std::cerr << "tq260-usb-keyboard: " << error << "\n";
        return 1;
    }
    auto plugs = std::make_unique<PlugWorker>(*gadget, controller);
    // The keyboard unplugging itself (a fault) takes the gadget off the bus; the host's own
    // unbinding is told with the function disabled first.
    keyboard.setPlugListener([&](bool plugged) {
        if (!plugged && function->enabled()) plugs->request(false);
    });
    if (!gadget->bind(controller)) {
        std::cerr << "tq260-usb-keyboard: cannot bind the gadget to " << controller << "\n";
        return 1;
    }
    say("ready");

    // Standard input and signals are waited on by threads that may never return: they obey
    // only while the function is there.
    std::mutex controlMutex;
    bool finished = false;
    const auto stop = [&] {
        std::lock_guard lock(controlMutex);
        if (!finished) function->stop();
    };
    std::thread input([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::lock_guard lock(controlMutex);
            if (finished || !obey(line, *function, keyboard, *plugs)) break;
        }
        stop();
    });
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    std::thread signalWatch([&] {
        signalfd_siginfo info{};
        if (signalFd >= 0 && ::read(signalFd, &info, sizeof info) > 0) stop();
    });
    input.detach();
    signalWatch.detach();

    function->run();
    {
        std::lock_guard lock(controlMutex);
        finished = true;
    }
    keyboard.setPlugListener({});
    plugs.reset();
    // Unbinding ends the transfers the endpoints' threads wait in.
    gadget->unbind();
    function.reset();
    gadget.reset();
    std::cout.flush();
    std::_Exit(0);
}

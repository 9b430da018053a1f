#include "cli/doctor.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "cli/keyboard_list.h"
#include "cli/running_program.h"
#include "config/text_encoding.h"
#include "platform/device_claim.h"
#include "platform/system_file.h"
#ifndef _WIN32
#include <unistd.h>
#endif

namespace tq260 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHidId = "HID_ID=0003:000004D9:0000A12F";
constexpr const char* kRule = "70-tq260.rules";
constexpr int kConfigurationInterface = 3;
constexpr int kLightingKeysInterface = 1;

// The first line of a small file of sysfs or /proc; empty when it cannot be read.
std::string firstLine(const fs::path& file) {
    const auto text = readSystemFile(file);
    if (!text) return {};
    const std::string line = text->substr(0, text->find('\n'));
    return line.size() > 256 ? std::string() : line;
}

enum class Holds { Yes, No, Unreadable };

// Whether a line of the file is the one wanted; Unreadable when it is there but not a small
// regular file (a pipe or a link to a device put in sysfs's place would hold doctor up).
Holds fileHolds(const fs::path& file, std::string_view wanted) {
    const auto text = readSystemFile(file);
    if (!text) {
        std::error_code error;
        return fs::exists(fs::symlink_status(file, error)) ? Holds::Unreadable : Holds::No;
    }
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        if (rest.substr(0, end) == wanted) return Holds::Yes;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return Holds::No;
}

struct Node {
    std::string name;  // hidraw3
    int interface = -1;
};

// The keyboard's hidraw nodes, by their interface numbers; the files that could not be read
// as the system's own go to skipped.
std::vector<Node> keyboardNodes(const fs::path& root, std::vector<fs::path>& skipped) {
    std::vector<Node> nodes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root / "sys/class/hidraw", error)) {
        const fs::path uevent = entry.path() / "device/uevent";
        const Holds holds = fileHolds(uevent, kHidId);
        if (holds == Holds::Unreadable) skipped.push_back(uevent);
        if (holds != Holds::Yes) continue;
        Node node{entry.path().filename().string()};
        // device is the HID device; the USB interface it sits on is its parent.
        const fs::path device = fs::canonical(entry.path() / "device", error);
        if (!error) {
            const std::string number = firstLine(device.parent_path() / "bInterfaceNumber");
            if (!number.empty() &&
                number.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos &&
                number.size() <= 2) {
                node.interface = std::stoi(number, nullptr, 16);
            }
        }
        nodes.push_back(node);
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const Node& a, const Node& b) { return a.interface < b.interface; });
    return nodes;
}

// The processes other than this one that have the node open, as "1234 (name)".
// Linux only: Windows has no /proc, and opens HID devices for sharing.
std::vector<std::string> holders([[maybe_unused]] const fs::path& root,
                                 [[maybe_unused]] const std::string& node) {
    std::vector<std::string> found;
#ifndef _WIN32
    const std::string self = std::to_string(getpid());
    std::error_code error;
    for (const auto& process : fs::directory_iterator(root / "proc", error)) {
        const std::string pid = process.path().filename().string();
        if (pid.empty() || pid == self || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code unreadable;  // another user's process: not ours to see
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", unreadable)) {
            std::error_code noLink;
            if (fs::read_symlink(fd.path(), noLink) == fs::path("/dev") / node) {
                found.push_back(pid + " (" + firstLine(process.path() / "comm") + ")");
                break;
            }
        }
    }
#endif
    return found;
}

bool ruleInstalled(const fs::path& root, const std::string& rule) {
    std::error_code error;
    for (const char* folder : {"etc/udev/rules.d", "usr/lib/udev/rules.d", "lib/udev/rules.d"}) {
        if (fs::exists(root / folder / rule, error)) return true;
    }
    return false;
}

bool switchedOn(const fs::path& root, const char* rule) {
    std::error_code error;
    return fs::exists(root / "etc/udev/rules.d" / rule, error);
}

const char* roleOf(int interface) {
    switch (interface) {
        case 0:
            return "what is typed";
        case kLightingKeysInterface:
            return "the keyboard's own lighting keys";
        case kConfigurationInterface:
            return "the configuration channel";
        default:
            return "another channel";
    }
}

}  // namespace

DoctorProbes systemProbes(ToolContext& context) {
    DoctorProbes probes;
#ifndef _WIN32
    probes.mayOpen = [](const fs::path& node) { return access(node.c_str(), R_OK | W_OK) == 0; };
#endif
    probes.locked = [](const fs::path& node) { return DeviceClaim::heldElsewhere(node.string()); };
    probes.busOwner = [] { return RunningProgram::ownerProcess(); };
    probes.firmware = [&context](const fs::path& node) -> std::optional<std::string> {
        for (const ListedKeyboard& keyboard :
             listKeyboards(context.transport, context.clock, context.trace)) {
            if (keyboard.commandPath != node.string() || !keyboard.firmware) continue;
            return std::to_string(keyboard.firmware->major) + "." +
                   std::to_string(keyboard.firmware->minor);
        }
        return std::nullopt;
    };
    return probes;
}

int runDoctor(ToolContext& context, const DoctorProbes& probes) {
    std::ostream& out = context.out;
    const fs::path& root = probes.root;
    std::vector<fs::path> skipped;
    const std::vector<Node> nodes = keyboardNodes(root, skipped);
    for (const fs::path& file : skipped) {
        out << "Skipped " << utf8Of(file) << ": not a regular file of at most " << kSystemFileLimit
            << " bytes, as the system's own are.\n";
    }
    const auto owner = probes.busOwner ? probes.busOwner() : std::nullopt;
    const std::string ownerText =
        owner ? "the program answers on the session bus as " + std::string(bus::kService) +
                    " (process " + std::to_string(*owner) + ")"
              : "nothing answers as " + std::string(bus::kService) + " on this user's session bus";
    if (nodes.empty()) {
        out << "No keyboard 04d9:a12f: no hidraw device of it in "
            << utf8Of(root / "sys/class/hidraw")
            << ". Plug it in, into a port of the computer itself rather than a hub or switch "
               "if it stays missing.\n"
            << "Session bus: " << ownerText << ".\n";
        return tool_exit::kNoKeyboard;
    }
    out << "Keyboard 04d9:a12f found, " << nodes.size() << " hidraw node"
        << (nodes.size() == 1 ? "" : "s") << ":\n";
    bool usable = false;
    bool configurationFound = false;
    for (const Node& node : nodes) {
        const fs::path path = root / "dev" / node.name;
        out << "  /dev/" << node.name << ": interface "
            << (node.interface < 0 ? std::string("unknown") : std::to_string(node.interface))
            << ", " << roleOf(node.interface) << ". ";
        std::error_code error;
        if (!fs::exists(path, error)) {
            out << "Its node is missing from /dev: the device manager (udev) has not made it.\n";
            continue;
        }
        const bool mayOpen = probes.mayOpen && probes.mayOpen(path);
        if (node.interface == kLightingKeysInterface) {
            out << (mayOpen ? "This user may read it: lighting keys are seen at once."
                            : "This user may not read it: the program reads the lighting when "
                              "its window is shown (sudo tq260-lighting-keys on changes that).")
                << "\n";
            continue;
        }
        if (node.interface != kConfigurationInterface) {
            out << "Not needed by the program.\n";
            continue;
        }
        configurationFound = true;
        if (!mayOpen) {
            out << "This user may not open it. ";
            if (!ruleInstalled(root, kRule)) {
                out << "The udev rule that gives it to the logged-in user, " << kRule
                    << ", is not installed: install the tq260 package (or copy the rule to "
                       "/etc/udev/rules.d/), then unplug the keyboard and plug it in again.\n";
            } else {
                out << "The udev rule " << kRule
                    << " that gives it to the logged-in user is installed but did not apply: "
                       "unplug the keyboard and plug it in again; it applies only to the user "
                       "logged in at this computer's own screen, not over ssh.\n";
            }
            continue;
        }
        const bool locked = probes.locked && probes.locked(path);
        const std::vector<std::string> openedBy = holders(root, node.name);
        if (locked || !openedBy.empty()) {
            out << "This user may open it; another program holds it";
            for (const std::string& each : openedBy)
                out << (&each == &openedBy.front() ? ": " : ", ") << each;
            out << ".\n";
            if (owner) {
                out << "  That is the program: tq260ctl goes through it (" << ownerText << ").\n";
                usable = true;
            } else {
                out << "  And " << ownerText
                    << ": close that program, or start it in this user's desktop session, so "
                       "tq260ctl can go through it.\n";
            }
            continue;
        }
        const auto firmware = probes.firmware ? probes.firmware(path) : std::nullopt;
        if (firmware) {
            out << "This user may open it; it is free and answers: firmware " << *firmware << ".\n";
            usable = true;
        } else {
            out << "This user may open it, but the keyboard did not answer: unplug it and plug "
                   "it in again.\n";
        }
    }
    if (!configurationFound) {
        out << "The configuration channel (interface 3) was not found: the keyboard may be in "
               "another mode, or behind an adapter that hides it.\n";
    }
    out << "Launch keys: "
        << (switchedOn(root, "71-tq260-launch-keys.rules")
                ? "on (the logged-in user may read what this keyboard types)."
                : "off (sudo tq260-launch-keys on turns them on).")
        << "\nSession bus: " << ownerText << ".\n";
    return usable ? tool_exit::kDone : tool_exit::kNoKeyboard;
}

}  // namespace tq260

// tq260ctl doctor on scratch sysfs, /dev and /proc trees: each situation it explains.
#include "cli/doctor.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <sstream>

#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// A system as doctor sees it: which of its parts are there.
struct Situation {
    const char* name;
    std::vector<int> interfaces;  // the keyboard's hidraw nodes, hidraw<interface>
    bool devNodes = true;
    bool mayOpen = true;
    const char* rule = nullptr;  // where 70-tq260.rules is installed
    bool locked = false;
    const char* holder = nullptr;  // a process with the configuration node open
    std::optional<std::uint32_t> busOwner = std::nullopt;
    std::optional<std::string> firmware = "1.2";
    bool launchKeysOn = false;
    int exitCode = 0;
    std::vector<const char*> said;
    // Made in place of the keyboard's uevent: what would hold doctor up or feed it without end.
    void (*uevent)(const fs::path&) = nullptr;
};

void PrintTo(const Situation& situation, std::ostream* out) {
    *out << situation.name;
}

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// Lays out the situation as sysfs, /dev, /proc and the rule folders show it.
void layOut(const fs::path& root, const Situation& s) {
    fs::create_directories(root / "sys/class/hidraw");
    // Another HID device, never the keyboard.
    write(root / "sys/devices/usb1/1-2/1-2:1.0/0003:046D:C52B.0001/uevent",
          "HID_ID=0003:0000046D:0000C52B\n");
    fs::create_directories(root / "sys/class/hidraw/hidraw9");
    fs::create_directory_symlink(root / "sys/devices/usb1/1-2/1-2:1.0/0003:046D:C52B.0001",
                                 root / "sys/class/hidraw/hidraw9/device");
    for (int interface : s.interfaces) {
        const std::string name = "hidraw" + std::to_string(interface);
        const fs::path usb = root / ("sys/devices/usb1/1-1/1-1:1." + std::to_string(interface));
        write(usb / "bInterfaceNumber", "0" + std::to_string(interface) + "\n");
        write(usb / "0003:04D9:A12F.0004/uevent",
              "DRIVER=hid-generic\nHID_ID=0003:000004D9:0000A12F\nHID_NAME=USB Keyboard\n");
        fs::create_directories(root / "sys/class/hidraw" / name);
        fs::create_directory_symlink(usb / "0003:04D9:A12F.0004",
                                     root / "sys/class/hidraw" / name / "device");
        if (s.devNodes) write(root / "dev" / name, "");
        if (s.uevent != nullptr) {
            fs::remove(usb / "0003:04D9:A12F.0004/uevent");
            s.uevent(usb / "0003:04D9:A12F.0004/uevent");
        }
    }
    if (s.rule != nullptr) write(root / s.rule / "70-tq260.rules", "");
    if (s.launchKeysOn) write(root / "etc/udev/rules.d/71-tq260-launch-keys.rules", "");
    if (s.holder != nullptr) {
        write(root / "proc/4321/comm", std::string(s.holder) + "\n");
        fs::create_directories(root / "proc/4321/fd");
        fs::create_symlink("/dev/hidraw3", root / "proc/4321/fd/17");
    }
    // A process with other files open.
    fs::create_directories(root / "proc/77/fd");
    fs::create_symlink("/dev/null", root / "proc/77/fd/0");
}

class Doctor : public ::testing::TestWithParam<Situation> {};

constexpr const char* kSkipped =
    "hidraw/hidraw3/device/uevent: not a regular file of at most 4096 bytes";

TEST_P(Doctor, ExplainsWhatIsInTheWay) {
    const Situation& s = GetParam();
    testing::TemporaryFolder root;
    layOut(root.path(), s);
    DoctorProbes probes;
    probes.root = root.path();
    probes.mayOpen = [&](const fs::path&) { return s.mayOpen; };
    probes.locked = [&](const fs::path&) { return s.locked; };
    probes.busOwner = [&] { return s.busOwner; };
    std::vector<fs::path> asked;
    probes.firmware = [&](const fs::path& node) {
        asked.push_back(node);
        return s.firmware;
    };
    VirtualClock clock;
    EmulatorTransport transport{clock};
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    ToolContext context{transport, clock, nullptr, root.path(), out, err, in};
    EXPECT_EQ(runDoctor(context, probes), s.exitCode) << out.str();
    for (const char* text : s.said) EXPECT_THAT(out.str(), HasSubstr(text));
    // The keyboard is asked only while this user may open it and nobody holds it.
    const bool free = s.mayOpen && !s.locked && s.holder == nullptr && s.devNodes &&
                      s.uevent == nullptr &&
                      std::find(s.interfaces.begin(), s.interfaces.end(), 3) != s.interfaces.end();
    EXPECT_EQ(asked,
              free ? std::vector<fs::path>{root.path() / "dev/hidraw3"} : std::vector<fs::path>{});
}

INSTANTIATE_TEST_SUITE_P(
    Situations, Doctor,
    ::testing::Values(
        Situation{.name = "NoKeyboard",
                  .interfaces = {},
                  .exitCode = 1,
                  .said = {"No keyboard 04d9:a12f"}},
        Situation{.name = "Usable",
                  .interfaces = {0, 1, 3},
                  .exitCode = 0,
                  .said = {"3 hidraw nodes", "/dev/hidraw0: interface 0, what is typed",
                           "hidraw3: interface 3, the configuration channel",
                           "free and answers: firmware 1.2", "Launch keys: off",
                           "nothing answers as org.tq260.Vantor"}},
        Situation{.name = "NodesMissing",
                  .interfaces = {3},
                  .devNodes = false,
                  .exitCode = 1,
                  .said = {"missing from /dev"}},
        Situation{.name = "NoRule",
                  .interfaces = {3},
                  .mayOpen = false,
                  .exitCode = 1,
                  .said = {"may not open it", "70-tq260.rules, is not installed"}},
        Situation{.name = "RuleDidNotApply",
                  .interfaces = {1, 3},
                  .mayOpen = false,
                  .rule = "usr/lib/udev/rules.d",
                  .exitCode = 1,
                  .said = {"installed but did not apply", "sudo tq260-lighting-keys on"}},
        Situation{.name = "HeldByTheProgram",
                  .interfaces = {3},
                  .holder = "TQ260 104vez V",
                  .busOwner = 4321,
                  .exitCode = 0,
                  .said = {"another program holds it: 4321 (TQ260 104vez V)",
                           "tq260ctl goes through it", "(process 4321)"}},
        Situation{.name = "HeldWithoutTheBus",
                  .interfaces = {3},
                  .locked = true,
                  .exitCode = 1,
                  .said = {"another program holds it.", "nothing answers as"}},
        Situation{.name = "NotAnswering",
                  .interfaces = {3},
                  .firmware = std::nullopt,
                  .launchKeysOn = true,
                  .exitCode = 1,
                  .said = {"did not answer", "Launch keys: on"}},
        Situation{.name = "NoConfigurationChannel",
                  .interfaces = {0},
                  .exitCode = 1,
                  .said = {"interface 3) was not found"}},
        Situation{.name = "APipeForUevent",
                  .interfaces = {3},
                  .exitCode = 1,
                  .said = {kSkipped, "No keyboard 04d9:a12f"},
                  .uevent = [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }},
        Situation{.name = "ALinkToDevZeroForUevent",
                  .interfaces = {3},
                  .exitCode = 1,
                  .said = {kSkipped, "No keyboard 04d9:a12f"},
                  .uevent = [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }},
        Situation{.name = "AHugeUevent",
                  .interfaces = {3},
                  .exitCode = 1,
                  .said = {kSkipped, "No keyboard 04d9:a12f"},
                  .uevent =
                      [](const fs::path& file) {
                          write(file, "HID_ID=0003:000004D9:0000A12F\n");
                          fs::resize_file(file, std::uintmax_t{1} << 30);
                      }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq260

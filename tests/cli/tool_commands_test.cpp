#include "cli/tool_commands.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "keys/keymap_file.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::TemporaryFolder;

// The tool's subcommands on a virtual keyboard and virtual time; what they print is kept.
class ToolCommands : public ::testing::Test {
  protected:
    int run(const std::function<int(ToolContext&)>& command) {
        out.str({});
        err.str({});
        keyboard.wireLog().clear();
        clock.clearWaits();
        ToolContext context{transport, clock, nullptr, data.path(), out, err, in};
        return command(context);
    }

    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
    TemporaryFolder data;
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};

TEST_F(ToolCommands, SetLightingReadsItThenWritesOnlyTheFieldsGiven) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {1, 50, 6, 1, 0xA7}; });
    LightingChange change;
    change.effect = "Wave";
    change.brightness = 20;
    ASSERT_EQ(run([&](ToolContext& c) { return runSetLighting(c, change); }), tool_exit::kDone);
    EXPECT_EQ(out.str(), "Lighting set.\n");
    // Speed, direction and the option byte stay as the keyboard had them; the read waits 10 ms
    // after its set and none after its get, the write 10 ms after its set.
    EXPECT_THAT(keyboard.wireLog().lines(), ElementsAre("0 cmd set 00 88 00 00 00 00 00 00 03",
                                                        "10 cmd get 00 88 01 32 06 01 a7 00 e2",
                                                        "10 cmd set 00 08 06 14 06 01 a7 00 5b"));
    EXPECT_THAT(clock.waits(), ElementsAre(10, 10));
    EXPECT_EQ(keyboard.memory().lighting, (std::array<std::uint8_t, 5>{6, 20, 6, 1, 0xA7}));
}

TEST_F(ToolCommands, ABadLightingChangeIsSaidAndNothingIsSent) {
    struct Case {
        LightingChange change;
        const char* said;
    };
    LightingChange effect, brightness, speed, direction, nothing;
    effect.effect = "Wavy";
    effect.speed = 3;
    brightness.brightness = 51;
    speed.speed = -1;
    direction.direction = 0;
    const Case cases[] = {
        {effect,
         "--effect: \"Wavy\" is not an effect. It takes \"Static\" \"Breathing\" \"Reactive\" "
         "\"Ripple\" \"Raindrop\" \"Wave\" \"Running water run mode\" \"DIY1\" \"DIY2\" "
         "\"DIY3\".\n"},
        {brightness, "--brightness: 51 is outside 0..50.\n"},
        {speed, "--speed: -1 is outside 0..9.\n"},
        {direction, "--direction: 0 is outside 1..4.\n"},
        {nothing,
         "set lighting: give at least one of --effect, --brightness, --speed, --direction.\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run([&](ToolContext& context) { return runSetLighting(context, c.change); }),
                  tool_exit::kUsage);
        EXPECT_EQ(err.str(), c.said);
        EXPECT_TRUE(keyboard.wireLog().lines().empty()) << c.said;
    }
}

TEST_F(ToolCommands, NoKeyboardOrASilentOneIsSaidWithItsExitCode) {
    LightingChange change;
    change.speed = 2;
    keyboard.setSilent(true);
    EXPECT_EQ(run([&](ToolContext& c) { return runSetLighting(c, change); }),
              tool_exit::kNotAnswering);
    EXPECT_EQ(err.str(), "The keyboard is not answering: its lighting could not be read.\n");
    EXPECT_EQ(run([&](ToolContext& c) { return runDump(c, {}); }), tool_exit::kNotAnswering);
    keyboard.unplug();
    EXPECT_EQ(run([&](ToolContext& c) { return runSetLighting(c, change); }),
              tool_exit::kNoKeyboard);
    EXPECT_EQ(err.str(), "No TQ260 keyboard found.\n");
    EXPECT_EQ(run(runList), tool_exit::kNoKeyboard);
}

TEST_F(ToolCommands, FactoryResetAsksAndOnlyAYesResets) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 20, 3, 2, 0}; });
    for (const char* answer : {"", "n\n", "no\n", "yess\n"}) {
        in.str(answer);
        in.clear();
        EXPECT_EQ(run([](ToolContext& c) { return runFactoryReset(c, false); }),
                  tool_exit::kDeclined);
        EXPECT_EQ(out.str(),
                  "Restore the keyboard's factory settings? Every key assignment, macro and light "
                  "setting on it is replaced. [y/N] Nothing was changed.\n");
        EXPECT_TRUE(keyboard.wireLog().lines().empty()) << answer;
    }
    in.str("y\n");
    in.clear();
    EXPECT_EQ(run([](ToolContext& c) { return runFactoryReset(c, false); }), tool_exit::kDone);
    EXPECT_EQ(keyboard.memory().lighting, KeyboardMemory::factoryDefaults().lighting);
}

TEST_F(ToolCommands, FactoryResetSendsTheResetAndKeymapForgetsTheAssignments) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 20, 3, 2, 0}; });
    ASSERT_EQ(run([](ToolContext& c) { return runFactoryReset(c, true); }), tool_exit::kDone);
    EXPECT_EQ(out.str(), "The keyboard has its factory settings again.\n");
    EXPECT_EQ(keyboard.memory().lighting, KeyboardMemory::factoryDefaults().lighting);
    // The reset command is on the wire, after the pause the window makes too.
    bool reset = false;
    for (const std::string& line : keyboard.wireLog().lines()) {
        reset = reset || line.find(" cmd set 00 13 ") != std::string::npos;
    }
    EXPECT_TRUE(reset);
    EXPECT_EQ(clock.waits().front(), 100);
    // keymap.bin holds the keyboard's factory record and no assignment.
    DeviceSettings image;
    auto table = std::make_unique<AssignmentTable>();
    ASSERT_EQ(LoadKeymapFile(data / "keymap.bin", false, image, *table), DataFileLoad::Read);
    EXPECT_EQ(image.lighting.effect, KeyboardMemory::factoryDefaults().lighting[0]);
    auto cleared = std::make_unique<AssignmentTable>();
    setAssignmentIdentities(*cleared);
    EXPECT_EQ(*table, *cleared);
    // As the window writes it: each key's record carries the key's own code (F1's is 0x70).
    std::ifstream file(data / "keymap.bin", std::ios::binary);
    file.seekg(sizeof(DeviceSettings) + sizeof(KeyAssignment));
    EXPECT_EQ(file.get(), 0x70);
}

TEST_F(ToolCommands, DumpWritesTheFileInOneStep) {
    const auto file = data / "dump.json";
    ASSERT_EQ(run([&](ToolContext& c) { return runDump(c, file.string()); }), tool_exit::kDone);
    EXPECT_TRUE(out.str().empty());
    std::ifstream in(file);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "{");
    EXPECT_EQ(
        run([&](ToolContext& c) { return runDump(c, (data / "no/such/folder.json").string()); }),
        tool_exit::kCannotWrite);
}

}  // namespace
}  // namespace tq260

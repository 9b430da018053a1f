#include "cli/tool_commands.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/running_program.h"
#include "config/config_reader.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "keys/keymap_file.h"
#include "platform/atomic_file.h"
#include "support/normal_user.h"
#include "support/temporary_folder.h"
#include "tool_fixture.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::TemporaryFolder;
using testing::ToolCommands;

// What the running program refuses reaches scripts as the exit code the tool itself would give,
// with the program's own text.
TEST_F(ToolCommands, EachErrorOfTheProgramEndsWithItsOwnExitCodeAndText) {
    using bus::Error;
    struct Row {
        Error error;
        const char* name;
        int exit;
    };
    for (const Row& row : {Row{Error::InvalidJson, "InvalidJson", tool_exit::kBadFile},
                           Row{Error::NoKeyboard, "NoKeyboard", tool_exit::kNoKeyboard},
                           Row{Error::NotAnswering, "NotAnswering", tool_exit::kNotAnswering},
                           Row{Error::Busy, "Busy", tool_exit::kInUse},
                           Row{Error::UnsavedChanges, "UnsavedChanges", tool_exit::kInUse},
                           Row{Error::NoSuchProfile, "NoSuchProfile", tool_exit::kBadFile},
                           Row{Error::BadProfile, "BadProfile", tool_exit::kBadFile},
                           Row{Error::InvalidName, "InvalidName", tool_exit::kUsage},
                           Row{Error::CannotWrite, "CannotWrite", tool_exit::kCannotWrite},
                           Row{Error::NotInProfile, "NotInProfile", tool_exit::kInUse}}) {
        const std::string name = std::string(bus::kErrorPrefix) + row.name;
        EXPECT_EQ(bus::errorName(row.error), name);
        EXPECT_EQ(bus::errorNamed(name), row.error) << name;
        RunningProgram::Reply reply;
        reply.error = bus::errorNamed(name);
        reply.errorText = "Said by the program: " + name;
        EXPECT_EQ(run([&](ToolContext& c) { return tellFailure(c, reply); }), row.exit) << name;
        EXPECT_EQ(err.str(), reply.errorText + "\n");
    }
    EXPECT_EQ(bus::errorNamed("org.freedesktop.DBus.Error.NoReply"), std::nullopt);
    RunningProgram::Reply lost;
    lost.lost = true;
    EXPECT_EQ(run([&](ToolContext& c) { return tellFailure(c, lost); }), tool_exit::kNotAnswering);
}

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
         "--effect: \"Wavy\" is not an effect; the effects are \"Static\", \"Breathing\", "
         "\"Reactive\", \"Ripple\", \"Raindrop\", \"Wave\", \"Running water run mode\", "
         "\"DIY1\", \"DIY2\", \"DIY3\".\n"},
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

#ifndef _WIN32
// A link is written through and stays a link; a pipe or a device is written into as it is.
TEST_F(ToolCommands, DumpWritesThroughALinkAndStraightIntoAPipeOrADevice) {
    std::filesystem::create_directory(data / "real");
    std::filesystem::create_symlink("real/dump.json", data / "link");
    std::filesystem::create_symlink("/dev/null", data / "null");
    ASSERT_EQ(mkfifo((data / "fifo").c_str(), 0600), 0);
    // Open first, so that the dump's open does not wait; its 3 KB fit in the pipe.
    const int reader = open((data / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    for (const char* name : {"link", "null", "fifo"}) {
        EXPECT_EQ(run([&](ToolContext& c) { return runDump(c, (data / name).string()); }),
                  tool_exit::kDone);
    }
    EXPECT_TRUE(is_symlink(data / "link") && is_symlink(data / "null") && is_fifo(data / "fifo"));
    EXPECT_EQ(readFileBytes(data / "real/dump.json", 1), std::vector<std::uint8_t>{'{'});
    char piped = 0;
    EXPECT_EQ(read(reader, &piped, 1) == 1 ? piped : 0, '{');
    close(reader);
    // A descriptor the shell opened on a file it appends to ("--output /dev/stdout >> log").
    testing::writeRawFile(data / "log", std::vector<std::uint8_t>{'x'});
    const int log = open((data / "log").c_str(), O_WRONLY | O_APPEND);
    EXPECT_EQ(run([&](ToolContext& c) { return runDump(c, "/dev/fd/" + std::to_string(log)); }),
              tool_exit::kDone);
    close(log);
    EXPECT_EQ(readFileBytes(data / "log", 2), (std::vector<std::uint8_t>{'x', '{'}));
}
#endif

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// The commands that read a file, on the virtual keyboard.
class ToolFiles : public ToolCommands {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        const auto file = data / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    std::string dumped() {
        EXPECT_EQ(run([](ToolContext& c) { return runDump(c, {}); }), tool_exit::kDone);
        readWaits = clock.waits().size();
        return out.str();
    }
    // The write back's lines, without their times: what follows the full read.
    std::vector<std::string> sentAfterTheRead() {
        const auto lines = keyboard.wireLog().lines();
        const auto last = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) {
            return l.find(" get ") != std::string::npos || l.find(" read ") != std::string::npos;
        });
        std::vector<std::string> sent;
        for (auto line = last.base(); line != lines.end(); ++line) {
            sent.push_back(line->substr(line->find(' ') + 1));
        }
        return sent;
    }
    // The waits after those of a full read.
    std::vector<int> waitsAfterTheRead() {
        const auto waits = clock.waits();
        const auto read = static_cast<std::ptrdiff_t>(std::min(readWaits, waits.size()));
        return {waits.begin() + read, waits.end()};
    }
    std::size_t readWaits = 0;
};

// Lighting, report rate, response time and game mode go with every write back.
const std::vector<std::string> kAlwaysSent = {
    "cmd set 00 08 01 32 06 01 00 00 c9", "cmd set 00 01 03 00 00 00 00 00 8f",
    "cmd set 00 04 01 00 00 00 00 00 8e", "cmd set 00 02 01 00 00 00 00 00 88"};

TEST_F(ToolFiles, ApplyingTheDumpSendsOnlyWhatIsAlwaysSent) {
    const std::string file = write("same.json", dumped());
    ASSERT_EQ(run([&](ToolContext& c) { return runApply(c, file, false); }), tool_exit::kDone);
    EXPECT_EQ(out.str(), "Nothing to change.\n");
    EXPECT_EQ(sentAfterTheRead(), kAlwaysSent);
    EXPECT_EQ(waitsAfterTheRead(), (std::vector<int>{100, 10, 10, 10, 20}));
    EXPECT_FALSE(std::filesystem::exists(data / "keymap.bin"));
}

// A Wave saved without a direction ever chosen holds 0; the dump shows it and takes it back.
TEST_F(ToolFiles, ADumpOfALightingWithoutADirectionAppliesBack) {
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 40, 5, 0, 0}; });
    const std::string text = dumped();
    ASSERT_NE(text.find("\"direction\": 0"), std::string::npos) << text;
    const std::string file = write("wave.json", text);
    EXPECT_EQ(run([&](ToolContext& c) { return runApply(c, file, false); }), tool_exit::kDone)
        << err.str();
    EXPECT_EQ(out.str(), "Nothing to change.\n");
}

TEST_F(ToolFiles, OneKeyAndOneLightValueChangedAreExactlyWhatIsSent) {
    std::string text = dumped();
    text.replace(text.find("\"brightness\": 50"), 16, "\"brightness\": 20");
    text.replace(text.find("\"Esc\": \"default\""), 16, "\"Esc\": {\"key\": \"A\"}");
    const std::string file = write("changed.json", text);
    const KeyboardMemory before = keyboard.memory();
    ASSERT_EQ(run([&](ToolContext& c) { return runApply(c, file, false); }), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "/lighting/brightness: 50 -> 20\n/keys/Esc: \"default\" -> "
              "{\"key\":\"A\"}\nWritten.\n");
    const auto sent = sentAfterTheRead();
    ASSERT_EQ(sent.size(), 14u);
    EXPECT_EQ(sent[0], "cmd set 00 08 01 14 06 01 00 00 af");  // brightness 20
    // Both key blocks go, as Save sends them; Esc's pair is now A's code.
    EXPECT_EQ(sent[1], "cmd set 00 0c 00 00 04 00 00 00 9b");
    EXPECT_EQ(sent[2].substr(0, 31), "cmd write 00 04 00 00 00 3a 00 ");
    EXPECT_EQ(sent[6], "cmd set 00 0d 00 00 04 00 00 00 9a");
    EXPECT_EQ(std::vector(sent.begin() + 11, sent.end()),
              std::vector(kAlwaysSent.begin() + 1, kAlwaysSent.end()));
    KeyboardMemory expected = before;
    expected.lighting[1] = 20;
    expected.keyBlocks[0][0] = 0x04;
    EXPECT_EQ(keyboard.memory(), expected);
    // keymap.bin keeps the record of the assignment, as the key dialog leaves it.
    DeviceSettings image;
    auto table = std::make_unique<AssignmentTable>();
    ASSERT_EQ(LoadKeymapFile(data / "keymap.bin", false, image, *table), DataFileLoad::Read);
    EXPECT_EQ((*table)[0].data[0], 'A');
    EXPECT_EQ((*table)[0].count, 1);
}

// keymap.bin keeps the combination and the launch before the keyboard is given their codes:
// a tool that ends once the keyboard has them (here the keyboard stops answering after the
// key blocks) leaves them to be read back as they were made.
TEST_F(ToolFiles, AssignmentsAreKeptBeforeTheKeyboardHasTheirCodes) {
    const std::string file = write("keys.json", R"({"format": 1, "keys": {
        "Caps": {"combination": ["LShift", "A"]},
        "F3": {"launch": "/home/ann/Music", "kind": "folder"}}})");
    ASSERT_EQ(run([&](ToolContext& c) { return runApply(c, file, true); }), tool_exit::kDone);
    const auto commands = [&] {
        const auto lines = keyboard.wireLog().lines();
        return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find(" cmd set ") != std::string::npos;
        });
    };
    const auto read = commands();
    keyboard.wireLog().clear();
    // Lighting, both key blocks and the report rate are taken; the response time is not.
    keyboard.fallSilentAfterCommands(static_cast<int>(read) + 4);
    EXPECT_EQ(run([&](ToolContext& c) { return runApply(c, file, false); }),
              tool_exit::kNotAnswering);
    ASSERT_NE(keyboard.memory().keyBlocks, KeyboardMemory::factoryDefaults().keyBlocks);
    keyboard.setSilent(false);
    const std::string dump = dumped();
    EXPECT_THAT(dump, HasSubstr(R"("Caps": {
      "combination": [
        "LShift",
        "A"
      ]
    })"));
    EXPECT_THAT(dump, HasSubstr(R"("launch": "/home/ann/Music")"));
}

TEST_F(ToolFiles, ADryRunSaysWhatWouldChangeAndSendsNothing) {
    const std::string file =
        write("dry.json", R"({"format": 1, "gameMode": false, "keys": {"Caps": "disabled"}})");
    ASSERT_EQ(run([&](ToolContext& c) { return runApply(c, file, true); }), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "/gameMode: true -> false\n/keys/Caps: \"default\" -> \"disabled\"\nDry run: "
              "no change was written.\n");
    for (const std::string& line : keyboard.wireLog().lines()) {
        EXPECT_EQ(line.find(" write "), std::string::npos) << line;
    }
    EXPECT_TRUE(sentAfterTheRead().empty());
    EXPECT_FALSE(std::filesystem::exists(data / "keymap.bin"));
}

// Whatever is wrong with the file, nothing reaches the keyboard or keymap.bin.
TEST_F(ToolFiles, AFileWithAnyFaultWritesNothing) {
    struct Case {
        std::string text;
        const char* said;
    };
    const Case cases[] = {
        {R"({"format": 1, "keys": {"Esc": {"key": "Nope"}}, "lighting": {"speed": 12}})",
         "2 errors; nothing was written.\n/lighting/speed: 12 is outside 0..9\n/keys/Esc/key: "
         "\"Nope\" is not a key name\n"},
        {R"({"format": 1, "format": 1})", "1 error; nothing was written.\n/format: given twice\n"},
        {R"({"format": 1, )",
         "1 error; nothing was written.\n/: not valid JSON (byte 15): parse error at line 1, "
         "column 15: syntax error while parsing object key - unexpected end of input; expected "
         "string literal\n"},
        {std::string(kMaxConfigBytes + 1, ' '), nullptr},
    };
    for (const Case& c : cases) {
        const std::string file = write("bad.json", c.text);
        EXPECT_EQ(run([&](ToolContext& context) { return runApply(context, file, false); }),
                  tool_exit::kBadFile);
        if (c.said != nullptr) {
            EXPECT_EQ(err.str(), file + ": " + c.said);
        } else {
            EXPECT_EQ(err.str(), file + ": larger than 4194304 bytes; nothing was written.\n");
        }
        EXPECT_TRUE(keyboard.wireLog().lines().empty());
    }
    EXPECT_EQ(
        run([&](ToolContext& c) { return runApply(c, (data / "none.json").string(), false); }),
        tool_exit::kBadFile);
    EXPECT_EQ(err.str(), "Could not read " + (data / "none.json").string() + ".\n");
    EXPECT_FALSE(std::filesystem::exists(data / "keymap.bin"));
}

TEST_F(ToolFiles, SetKeyTakesEachFormOfTarget) {
    struct Case {
        const char* assignment;
        const char* shown;
    };
    const Case cases[] = {
        {"Caps=LCtrl", R"({"key":"LCtrl"})"},
        {"Caps=key:Num +", R"({"key":"Num +"})"},
        {"F1=combination:LCtrl+Num +", R"({"combination":["LCtrl","Num +"]})"},
        {"F2=function:Mute", R"({"function":"Mute"})"},
        {"F3=macro:4", R"({"macro":4})"},
        {"F4=launch:folder:/home/ann/Music", R"({"launch":"/home/ann/Music","kind":"folder"})"},
        {"==disabled", R"("disabled")"},
        {R"(Q={"entry": [2, 0, 7, 1]})", R"({"entry":[2,0,7,1]})"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(
            run([&](ToolContext& context) { return runSetKey(context, c.assignment, false); }),
            tool_exit::kDone)
            << c.assignment << err.str();
        const std::string key =
            std::string(c.assignment).substr(0, std::string(c.assignment).find('=', 1));
        const auto json = nlohmann::ordered_json::parse(dumped());
        EXPECT_EQ(json["keys"][key].dump(), c.shown) << c.assignment;
    }
}

TEST_F(ToolFiles, ABadKeyAssignmentIsSaidAndNothingIsSent) {
    struct Case {
        const char* assignment;
        const char* said;
    };
    const Case cases[] = {
        {"Caps", "set key: write KEY=TARGET, e.g. Caps=LCtrl or F1=macro:2.\n"},
        {"Capslock=A", "set key: \"Capslock\" is not a key of the keyboard.\n"},
        {"Caps=combination:LCtrl+Nope", "set key: \"Nope\" is not a key name\n"},
        {"Caps=macro:7", "set key: \"7\" is not a macro slot; the slots are 1 to 6\n"},
        {"Caps=launch:/x", "set key: write launch:KIND:PATH, KIND one of mp3, exe, txt, folder\n"},
        {"Caps=launch:doc:/x",
         "set key: /keys/Caps/kind: \"doc\" is not \"mp3\", \"exe\", \"txt\" or "
         "\"folder\"\n"},
        {"Caps=function:Louder", nullptr},
        {"Caps={\"key\":", "set key: \"{\"key\":\" is not valid JSON\n"},
        {"Fn=disabled",
         "set key: /keys/Fn: this key sends no code of its own, so it cannot be disabled\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            run([&](ToolContext& context) { return runSetKey(context, c.assignment, false); }),
            tool_exit::kUsage)
            << c.assignment;
        if (c.said != nullptr) {
            EXPECT_EQ(err.str(), c.said);
        }
        EXPECT_FALSE(err.str().empty());
        EXPECT_TRUE(keyboard.wireLog().lines().empty()) << c.assignment;
    }
}

// A launch key lives in keymap.bin; the keyboard holds the printed key, and the dump shows the
// launch again from the two together.
TEST_F(ToolFiles, ALaunchKeySetByTheToolIsShownByTheNextDump) {
    ASSERT_EQ(
        run([](ToolContext& c) { return runSetKey(c, "F5=launch:txt:/home/ann/a.txt", false); }),
        tool_exit::kDone);
    // Game mode is on, as every full read leaves it; the keys are as they were.
    KeyboardMemory expected = KeyboardMemory::factoryDefaults();
    expected.gameMode = 1;
    EXPECT_EQ(keyboard.memory(), expected);
    const auto json = nlohmann::ordered_json::parse(dumped());
    EXPECT_EQ(json["keys"]["F5"].dump(), R"({"launch":"/home/ann/a.txt","kind":"txt"})");
}

TEST_F(ToolFiles, AnUnreadableKeymapStopsBeforeAnythingIsSent) {
    std::filesystem::create_directory(data / "keymap.bin");
    EXPECT_EQ(run([](ToolContext& c) { return runSetKey(c, "Caps=A", false); }),
              tool_exit::kBadFile);
    EXPECT_EQ(err.str(), "Could not read " + (data / "keymap.bin").string() +
                             ", where the program keeps the key assignments; nothing was "
                             "written.\n");
    EXPECT_TRUE(keyboard.wireLog().lines().empty());
}

TEST_F(ToolFiles, ConvertGoesBothWaysWithoutAKeyboard) {
    keyboard.unplug();
    std::vector<std::uint8_t> profile(kKeymapFileSize);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 7);
    const auto bin = data / "Profile_1.bin";
    ASSERT_TRUE(writeFileAtomically(bin, std::span<const std::uint8_t>(profile)));
    const auto json = (data / "Profile_1.json").string();
    const auto back = (data / "back.bin").string();
    ASSERT_EQ(run([&](ToolContext& c) { return runConvert(c, bin.string(), json); }),
              tool_exit::kDone)
        << err.str();
    ASSERT_EQ(run([&](ToolContext& c) { return runConvert(c, json, back); }), tool_exit::kDone)
        << err.str();
    EXPECT_EQ(readFileBytes(back, kKeymapFileSize + 1), profile);

    EXPECT_EQ(run([&](ToolContext& c) { return runConvert(c, json, json); }), tool_exit::kUsage);
    EXPECT_EQ(err.str(), "convert: one of the two files must end in .json, the other not.\n");
    const std::string bad = write("bad.json", R"({"format": 1, "keys": {"A": 3}})");
    const auto target = (data / "never.bin").string();
    EXPECT_EQ(run([&](ToolContext& c) { return runConvert(c, bad, target); }), tool_exit::kBadFile);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(run([&](ToolContext& c) {
                  return runConvert(c, bin.string(), (data / "no/such.json").string());
              }),
              tool_exit::kCannotWrite);
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// Every name it lists, the reader takes where it says.
TEST_F(ToolCommands, TheNamesListedAreTheNamesTheReaderTakes) {
    keyboard.unplug();
    ASSERT_EQ(run(runNames), tool_exit::kDone);
    std::istringstream lines(out.str());
    std::string line;
    std::vector<std::vector<std::string>> sections;
    while (std::getline(lines, line)) {
        if (line.back() == ':') {
            sections.emplace_back();
            continue;
        }
        for (std::size_t at = line.find('"'); at != std::string::npos;) {
            const std::size_t end = line.find('"', at + 1);
            sections.back().push_back(line.substr(at + 1, end - at - 1));
            at = line.find('"', end + 1);
        }
    }
    ASSERT_EQ(sections.size(), 4u);
    EXPECT_EQ(sections[0].size(), 104u);
    EXPECT_EQ(sections[2].size(), 23u);
    EXPECT_EQ(sections[3].size(), 10u);
    const KeyNameTable names;
    for (const std::string& key : sections[0]) EXPECT_TRUE(pictureKeyNamed(key, names)) << key;
    for (const std::string& key : sections[1]) {
        const auto text = nlohmann::ordered_json{{"format", 1}, {"keys", {{"A", {{"key", key}}}}}};
        EXPECT_TRUE(readConfiguration(text.dump(), ValueRange::Keyboard).request) << key;
    }
    for (const std::string& function : sections[2]) {
        const auto text =
            nlohmann::ordered_json{{"format", 1}, {"keys", {{"A", {{"function", function}}}}}};
        EXPECT_TRUE(readConfiguration(text.dump(), ValueRange::Keyboard).request) << function;
    }
}

TEST_F(ToolCommands, FactoryResetAsksOnlyWhenThereIsAKeyboardAndTakesYesInAnyCase) {
    keyboard.unplug();
    in.str("y\n");
    EXPECT_EQ(run([](ToolContext& c) { return runFactoryReset(c, false); }),
              tool_exit::kNoKeyboard);
    EXPECT_TRUE(out.str().empty());  // no question about a keyboard that is not there
    keyboard.plug();
    keyboard.editMemory([](KeyboardMemory& m) { m.lighting = {6, 20, 3, 2, 0}; });
    in.str("YES\n");
    in.clear();
    EXPECT_EQ(run([](ToolContext& c) { return runFactoryReset(c, false); }), tool_exit::kDone);
    EXPECT_EQ(keyboard.memory().lighting, KeyboardMemory::factoryDefaults().lighting);
}

TEST_F(ToolFiles, ChangesAreSaidInTheFilesOwnTerms) {
    const std::string file = write("terms.json", R"({"format": 1, "lighting": {"effect": "DIY2"},
        "reportRateHz": 250, "responseTimeMs": 6})");
    ASSERT_EQ(run([&](ToolContext& c) { return runApply(c, file, true); }), tool_exit::kDone);
    EXPECT_EQ(out.str(),
              "/lighting/effect: \"Breathing\" -> \"DIY2\"\n/responseTimeMs: 2 -> 6\n"
              "/reportRateHz: 1000 -> 250\nDry run: no change was written.\n");
}

TEST_F(ToolFiles, DumpToADashIsTheOutput) {
    ASSERT_EQ(run([](ToolContext& c) { return runDump(c, "-"); }), tool_exit::kDone);
    EXPECT_EQ(out.str().substr(0, 2), "{\n");
    EXPECT_FALSE(std::filesystem::exists("-"));
}

// A profile is the whole configuration: a member left out would come back as zeros, every
// key disabled. A file of another size converts as it is, with a note.
TEST_F(ToolFiles, ConvertNeedsTheWholeConfigurationAndNotesAnOddSize) {
    const std::string part = write("part.json", R"({"format": 1, "lighting": {"effect": "Wave",
        "brightness": 5, "speed": 1, "direction": 1}, "gameMode": true, "responseTimeMs": 2,
        "reportRateHz": 1000, "keys": {"Esc": "default"}, "diyPatterns": [[], [], []]})");
    const auto target = (data / "part.bin").string();
    EXPECT_EQ(run([&](ToolContext& c) { return runConvert(c, part, target); }),
              tool_exit::kBadFile);
    EXPECT_EQ(err.str(),
              part +
                  ": 7 errors; nothing was written.\n/keys: 103 keys missing (F1, F2, F3, F4, "
                  "F5, …): a profile needs the whole configuration\n"
                  "/macros: slot 1 missing: a profile needs the whole configuration\n"
                  "/macros: slot 2 missing: a profile needs the whole configuration\n"
                  "/macros: slot 3 missing: a profile needs the whole configuration\n"
                  "/macros: slot 4 missing: a profile needs the whole configuration\n"
                  "/macros: slot 5 missing: a profile needs the whole configuration\n"
                  "/macros: slot 6 missing: a profile needs the whole configuration\n");
    EXPECT_FALSE(std::filesystem::exists(target));

    const std::string tiny = write("tiny.bin", "abc");
    const auto json = (data / "tiny.json").string();
    ASSERT_EQ(run([&](ToolContext& c) { return runConvert(c, tiny, json); }), tool_exit::kDone);
    EXPECT_EQ(err.str(), "Note: " + tiny +
                             " is 3 bytes; the program's profiles are 2412 or 199272 bytes. It "
                             "was converted as it is; members it does not reach show zeros.\n");
    const auto back = (data / "tiny-back.bin").string();
    ASSERT_EQ(run([&](ToolContext& c) { return runConvert(c, json, back); }), tool_exit::kDone);
    EXPECT_EQ(readFileBytes(back, 10), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

}  // namespace
}  // namespace tq260

namespace tq260 {
namespace {

// Held by another program, the keyboard is left alone; a file with faults is said first,
// without taking the keyboard at all.
TEST_F(ToolFiles, AKeyboardHeldElsewhereIsLeftAloneAndABadFileNeedsNoKeyboard) {
    int asked = 0;
    std::optional<std::string> otherUser;
    const auto held = [&](const std::function<int(ToolContext&)>& command) {
        out.str({});
        err.str({});
        ToolContext context{transport, clock, nullptr, data.path(), out, err, in};
        context.holdKeyboard = [&] {
            ++asked;
            context.heldByAnotherUser = otherUser;
            return false;
        };
        return command(context);
    };
    const std::string good = write("good.json", R"({"format": 1, "gameMode": false})");
    const std::string lockFile = (data / "VirtualKeyboard.lock").string();
    // Another user's hold is not a program of this user's to close.
    const struct {
        std::optional<std::string> otherUser;
        std::string said;
    } holders[] = {
        {std::nullopt,
         "The keyboard is in use by another program (TQ260 104vez VANTOR): close it and try "
         "again.\n"},
        {"alice", "The virtual keyboard is held by another user (alice) through its lock file " +
                      lockFile +
                      ", which only this user's programs should hold: it cannot be used until it "
                      "is free.\n"},
        {"", "The virtual keyboard is held by another user through its lock file " + lockFile +
                 ", which only this user's programs should hold: it cannot be used until it is "
                 "free.\n"},
    };
    const std::function<int(ToolContext&)> commands[] = {
        runList,
        [](ToolContext& c) { return runDump(c, {}); },
        [&](ToolContext& c) { return runApply(c, good, false); },
        [](ToolContext& c) { return runSetKey(c, "Caps=A", false); },
        [](ToolContext& c) { return runFactoryReset(c, true); },
    };
    for (const auto& holder : holders) {
        otherUser = holder.otherUser;
        for (const auto& command : commands) {
            EXPECT_EQ(held(command), tool_exit::kInUse);
            EXPECT_EQ(err.str(), holder.said);
        }
    }
    EXPECT_EQ(asked, 15);
    EXPECT_TRUE(keyboard.wireLog().lines().empty());
    const std::string bad = write("bad.json", R"({"format": 3})");
    EXPECT_EQ(held([&](ToolContext& c) { return runApply(c, bad, false); }), tool_exit::kBadFile);
    EXPECT_EQ(asked, 15);
}

// A change the virtual keyboard could not save is lost when the tool ends: a read-only memory
// file makes each changing command fail. In a read-only data folder keymap.bin cannot keep
// the change either, and it is refused before anything is sent (the lighting and a reset,
// which keep nothing there, are sent).
TEST_F(ToolFiles, AChangeTheVirtualKeyboardCannotSaveFailsAsANormalUser) {
    if (!testing::permissionsStopThisProcess()) GTEST_SKIP() << "root writes anywhere";
    const std::string file = write("light.json", R"({"format": 1, "lighting": {"speed": 2}})");
    LightingChange change;
    change.brightness = 7;
    const std::function<int(ToolContext&)> commands[] = {
        [&](ToolContext& c) { return runApply(c, file, false); },
        [&](ToolContext& c) { return runSetLighting(c, change); },
        [](ToolContext& c) { return runSetKey(c, "Caps=A", false); },
        [](ToolContext& c) { return runFactoryReset(c, true); },
    };
    const auto memory = data / "VirtualKeyboard.bin";
    using std::filesystem::perms;
    const std::string memoryLost = "The virtual keyboard's memory could not be saved to " +
                                   memory.string() + ": the change was not kept.\n";
    const std::string keymapRefused = "Could not write " + (data / "keymap.bin").string() +
                                      ", where the program keeps the key assignments; nothing "
                                      "was sent.\n";
    for (const bool readOnlyFolder : {false, true}) {
        for (std::size_t i = 0; i < std::size(commands); ++i) {
            std::filesystem::permissions(data.path(), perms::owner_all);
            keyboard.setMemory(KeyboardMemory::factoryDefaults());
            std::filesystem::remove(memory);
            testing::writeRawFile(memory, keyboard.memory().serialise());
            if (readOnlyFolder) {
                std::filesystem::remove(memory);
                std::filesystem::permissions(data.path(), perms::owner_read | perms::owner_exec);
            } else {
                std::filesystem::permissions(memory, perms::owner_read);
            }
            ToolContext context{transport, clock, nullptr, data.path(), out, err, in};
            keepVirtualKeyboardMemory(context, keyboard);
            EXPECT_EQ(commands[i](context), tool_exit::kCannotWrite) << readOnlyFolder << i;
            const bool refused = readOnlyFolder && (i == 0 || i == 2);
            EXPECT_THAT(err.str(), EndsWith(refused ? keymapRefused : memoryLost))
                << readOnlyFolder << i;
            if (refused) {
                // Read (which turns game mode on), and nothing more.
                KeyboardMemory read = KeyboardMemory::factoryDefaults();
                read.gameMode = 1;
                EXPECT_TRUE(keyboard.memory() == read)
                    << "sent although keymap.bin could not keep it: " << i;
            }
        }
    }
    std::filesystem::permissions(data.path(), perms::owner_all);
}

// A value from the input is quoted in an error only as far as its first 80 characters.
TEST_F(ToolFiles, ErrorsQuoteNoMoreThanTheStartOfAValue) {
    const std::string x(1000, 'x');
    LightingChange effect;
    effect.effect = x;
    const std::string faults =
        R"({"format": 1, ")" + x + R"(": 1, "keys": {")" + x + R"(": 1, "Esc": ")" + x + R"("}})";
    const std::function<int(ToolContext&)> commands[] = {
        [&](ToolContext& c) { return runApply(c, write("faults.json", faults), false); },
        [&](ToolContext& c) { return runApply(c, write("cut.json", "{\"" + x), false); },
        [&](ToolContext& c) { return runSetKey(c, x + "=A", false); },
        [&](ToolContext& c) { return runSetKey(c, "Caps=combination:" + x, false); },
        [&](ToolContext& c) { return runSetKey(c, "Caps={" + x, false); },
        [&](ToolContext& c) { return runSetLighting(c, effect); },
    };
    for (const auto& command : commands) {
        EXPECT_NE(run(command), tool_exit::kDone);
        EXPECT_THAT(err.str(), HasSubstr(std::string(79, 'x') + "…"));
        EXPECT_EQ(err.str().find(x.substr(0, 81)), std::string::npos) << err.str();
    }
}

}  // namespace
}  // namespace tq260

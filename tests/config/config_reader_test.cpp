#include "config/config_reader.h"

#include <gmock/gmock.h>

#include "config/config_json.h"
#include "keys/key_layout.h"

namespace tq260 {

void PrintTo(const ConfigError& error, std::ostream* out) {
    *out << error.path << ": " << error.message;
}

namespace {

using ::testing::ElementsAre;

std::vector<ConfigError> errorsOf(std::string_view text, ValueRange range = ValueRange::Keyboard) {
    const ConfigReading reading = readConfiguration(text, range);
    EXPECT_EQ(reading.request.has_value(), reading.errors.empty()) << text;
    return reading.errors;
}

// Every class of fault is said with where it stands; the message is the user's only guide.
TEST(ConfigReader, EachFaultIsSaidAtItsPath) {
    struct Case {
        const char* text;
        ConfigError said;
    };
    const Case cases[] = {
        {R"({})", {"/format", "missing: this tool reads format 1"}},
        {R"({"format": 2})", {"/format", "format 2 is not known; this tool reads format 1"}},
        {R"({"format": 1, "colour": 3})", {"/colour", "unknown member"}},
        {R"({"format": 1, "lighting": {"brightness": 51}})",
         {"/lighting/brightness", "51 is outside 0..50"}},
        {R"({"format": 1, "lighting": {"speed": -1}})", {"/lighting/speed", "-1 is outside 0..9"}},
        {R"({"format": 1, "lighting": {"direction": 5}})",
         {"/lighting/direction", "5 is outside 0..4"}},
        {R"({"format": 1, "lighting": {"brightness": 2.5}})",
         {"/lighting/brightness", "2.5 is not a whole number"}},
        {R"({"format": 1, "lighting": {"brightness": "high"}})",
         {"/lighting/brightness", "must be a whole number, not a string"}},
        {R"({"format": 1, "lighting": {"effect": "Wavy"}})",
         {"/lighting/effect",
          "\"Wavy\" is not an effect; the effects are \"Static\", \"Breathing\", \"Reactive\", "
          "\"Ripple\", \"Raindrop\", \"Wave\", \"Running water run mode\", \"DIY1\", \"DIY2\", "
          "\"DIY3\""}},
        {R"({"format": 1, "gameMode": 1})", {"/gameMode", "must be true or false, not a number"}},
        {R"({"format": 1, "responseTimeMs": 7})",
         {"/responseTimeMs", "7 is odd; the keyboard takes steps of 2 ms"}},
        {R"({"format": 1, "responseTimeMs": 22})", {"/responseTimeMs", "22 is outside 2..20"}},
        {R"({"format": 1, "reportRateHz": 300})",
         {"/reportRateHz", "300 is not a rate; the rates are 125, 250, 500 and 1000"}},
        {R"({"format": 1, "keys": {"Esc": "default", "Esc": "disabled"}})",
         {"/keys/Esc", "given twice"}},
        {R"({"format": 1, "keys": {"Escape": "default"}})",
         {"/keys/Escape", "\"Escape\" is not a key of the keyboard"}},
        {R"({"format": 1, "keys": {"Num /": {"key": "Q!"}}})",
         {"/keys/Num ~1/key", "\"Q!\" is not a key name"}},
        {R"({"format": 1, "keys": {"A": "sometimes"}})",
         {"/keys/A",
          "\"sometimes\" is not an assignment: write \"default\", \"disabled\" or an "
          "object such as {\"key\": \"A\"}"}},
        {R"({"format": 1, "keys": {"A": {"key": "B", "macro": 1}}})",
         {"/keys/A",
          "must have exactly one of \"key\", \"combination\", \"function\", "
          "\"macro\", \"launch\", \"entry\""}},
        {R"({"format": 1, "keys": {"A": {"combination": ["LCtrl", "LAlt", "LShift", "B"]}}})",
         {"/keys/A/combination", "holds 4 keys; a combination has 2 to 3"}},
        // Of one key, the keyboard would send nothing.
        {R"({"format": 1, "keys": {"A": {"combination": ["LCtrl"]}}})",
         {"/keys/A/combination",
          "holds 1 keys; a combination has 2 to 3 (for one key write {\"key\": NAME})"}},
        {R"({"format": 1, "keys": {"Fn": "disabled"}})",
         {"/keys/Fn", "this key sends no code of its own, so it cannot be disabled"}},
        {R"({"format": 1, "keys": {"A": {"launch": "", "kind": "exe"}}})",
         {"/keys/A/launch", "is empty: give the file or folder the key opens"}},
        {R"({"format": 1, "keys": {"caps": "default"}})",
         {"/keys/caps", "\"caps\" is not a key of the keyboard; did you mean \"Caps\"?"}},
        {R"({"format": 1, "keys": {"A": {"key": "lctrl"}}})",
         {"/keys/A/key", "\"lctrl\" is not a key name; did you mean \"LCtrl\"?"}},
        {R"({"format": 1, "macros": [{"slot": 1, "loops": 1, "events": [{"key": "A", "action": "down", "delayMs": 1}]}]})",
         {"/macros/0/events/0/delayMs",
          "1 ms is how the keyboard stores no delay: write 0 for none, or 2 or more"}},
        {R"({"format": 1, "keys": {"A": {"macro": 7}}})", {"/keys/A/macro", "7 is outside 1..6"}},
        {R"({"format": 1, "keys": {"A": {"launch": "/bin/x"}}})",
         {"/keys/A/kind", "missing: \"mp3\", \"exe\", \"txt\" or \"folder\""}},
        {R"({"format": 1, "keys": {"A": {"key": "B", "why": 1}}})",
         {"/keys/A/why", "unknown member"}},
        {R"({"format": 1, "keys": {"A": {"aaa": 1, "key": "B"}}})",
         {"/keys/A/aaa", "unknown member"}},
        {R"({"format": 1, "lighting": {"brightness": 20.0}})",
         {"/lighting/brightness", "20.0 must be written without a fraction"}},
        {R"({"format": 1, "macros": [{"slot": 1, "loops": 1, "events": [{"key": "A", "action": "press"}]}]})",
         {"/macros/0/events/0/action", "must be \"down\" or \"up\""}},
        {R"({"format": 1, "macros": [{"slot": 2, "loops": 1, "events": []}, {"slot": 2, "loops": 1, "events": []}]})",
         {"/macros/1/slot", "slot 2 is given twice"}},
        {R"({"format": 1, "macros": [{"slot": 1, "events": []}]})", {"/macros/0/loops", "missing"}},
        {R"({"format": 1, "macros": [{"slot": 1, "loops": 70000, "events": []}]})",
         {"/macros/0/loops", "70000 is outside 0..65535"}},
        {R"({"format": 1, "diyPatterns": [[], []]})",
         {"/diyPatterns", "holds 2 patterns; there are 3 (DIY1, DIY2, DIY3)"}},
        {R"({"format": 1, "diyPatterns": [["A", "A"], [], []]})",
         {"/diyPatterns/0/1", "\"A\" is listed twice"}},
        {R"({"format": 1, "lighting": {"brightness": 99999999999999999999999}})",
         {"/lighting/brightness", "9.999999999999999e+22 is outside 0..50"}},
        {R"({"format": 1, "lighting": {"brightness": 1e999}})",
         {"/", "not valid JSON (byte 46): number overflow parsing '1e999'"}},
        {R"([1, 2])", {"/", "must be an object, not a list"}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(errorsOf(c.text), ElementsAre(c.said)) << c.text;
    }
}

// A macro is 126 bytes on the keyboard: 63 two-byte events fill it, one more does not fit.
TEST(ConfigReader, AMacroTooLongForTheKeyboardIsRefused) {
    const auto macroOf = [](int events) {
        nlohmann::json list = nlohmann::json::array();
        for (int i = 0; i < events; ++i) {
            list.push_back({{"key", "A"}, {"action", i % 2 ? "up" : "down"}, {"delayMs", 5}});
        }
        return nlohmann::json{{"format", 1},
                              {"macros", {{{"slot", 3}, {"loops", 1}, {"events", list}}}}}
            .dump();
    };
    const ConfigReading fits = readConfiguration(macroOf(63), ValueRange::Keyboard);
    ASSERT_TRUE(fits.request);
    const MacroBlock& block = *fits.request->macros[2];
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 1);
    EXPECT_EQ(block[2], 5);         // the delay in the type byte, pressed
    EXPECT_EQ(block[3], 0x04);      // A's keyboard code
    EXPECT_EQ(block[4], 0x80 | 5);  // released
    EXPECT_EQ(block[126], 5);       // the 63rd event, a press, fills the block
    EXPECT_EQ(block[127], 0x04);
    EXPECT_THAT(errorsOf(macroOf(64)),
                ElementsAre(ConfigError{"/macros/0/events",
                                        "these events take 128 bytes; a macro on the keyboard "
                                        "holds 126"}));
}

// Text that is not a configuration at all gets one clear line, never a crash.
TEST(ConfigReader, HostileTextIsRefusedWithOneClearError) {
    const std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    std::string depth32;
    for (int level = 0; level < 32; ++level) depth32 += "/0";
    const std::string huge = R"({"format": 1, "macros": [{"slot": 1, "name": ")" +
                             std::string(10'000'000, 'x') + R"(", "loops": 1, "events": []}]})";
    const std::string longName = R"({"format": 1, "macros": [{"slot": 1, "name": ")" +
                                 std::string(300, 'x') + R"(", "loops": 1, "events": []}]})";
    struct Case {
        std::string text;
        ConfigError said;
    };
    const Case cases[] = {
        {R"({"format": 1, "lighting": {"brightn)",
         {"/",
          "not valid JSON (byte 36): parse error at line 1, column 36: syntax error while "
          "parsing object key - invalid string: missing closing quote; last read: "
          "'\"brightn'; expected string literal"}},
        {"",
         {"/",
          "not valid JSON (byte 1): parse error at line 1, column 1: syntax error while "
          "parsing value - unexpected end of input; expected '[', '{', or a literal"}},
        {deep, {depth32, "nested deeper than 32 levels"}},
        {huge, {"/", "the file is 10000076 bytes; a configuration is at most 4194304 bytes"}},
        {longName, {"/macros/0/name", "is 300 characters long; at most 254 fit"}},
        {"{\"format\": 1, \"keys\": {\"A\": {\"key\": \"\xff\"}}}",
         {"/",
          "not valid JSON (byte 38): parse error at line 1, column 38: syntax error while "
          "parsing value - invalid string: ill-formed UTF-8 byte; last read: '\"\xff'"}},
        {std::string("{\"format\": 1}\n \0{}", 18),
         {"/",
          "not valid JSON (byte 16): parse error at line 2, column 2: a NUL byte after the "
          "document; only white space may follow it"}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(errorsOf(c.text), ElementsAre(c.said)) << c.text.substr(0, 60);
    }
}

// An object with many members is refused before its tree is built; its members' lookup there
// is linear, so 100,000 of them would take minutes (2,000 show the rule quickly).
TEST(ConfigReader, AnObjectWithFarMoreMembersThanTheFormatHasIsRefused) {
    std::string text = R"({"format": 1, "keys": {)";
    for (int i = 0; i < 2'000; ++i) text += (i ? ",\"K" : "\"K") + std::to_string(i) + "\": 0";
    text += "}}";
    EXPECT_THAT(errorsOf(text), ElementsAre(ConfigError{"/keys", "has more than 512 members"}));
}

// What a file holds is never written to the terminal as control characters, and a flood of
// errors is cut short.
TEST(ConfigReader, ErrorsAreSaidPrintablyAndAtMostAHundred) {
    EXPECT_EQ(describeErrors({{"/keys/\x1b[31mRED", "unknown"}}),
              "/keys/\\u001b[31mRED: unknown\n");
    const std::vector<ConfigError> many(150, ConfigError{"/keys/X", "unknown"});
    const std::string text = describeErrors(many);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 101);
    EXPECT_NE(text.find("… and 50 more\n"), std::string::npos);
}

// Every fault of the file is said at once, so one run shows all there is to fix.
TEST(ConfigReader, AllFaultsAreSaidTogether) {
    EXPECT_THAT(errorsOf(R"({"format": 1, "lighting": {"speed": 10}, "keys": {"Q": {"macro": 0}},
                             "gameMode": "on"})"),
                ElementsAre(ConfigError{"/lighting/speed", "10 is outside 0..9"},
                            ConfigError{"/gameMode", "must be true or false, not a string"},
                            ConfigError{"/keys/Q/macro", "0 is outside 1..6"}));
}

// A profile converted back may hold what the window never offers; its bytes are kept.
TEST(ConfigReader, AProfileFileTakesEveryValueItsBytesCanHold) {
    const char* text = R"({"format": 1, "lighting": {"effect": 200, "brightness": 255,
                           "direction": 0}, "responseTimeMs": 0, "reportRate": 9})";
    EXPECT_FALSE(errorsOf(text, ValueRange::Keyboard).empty());
    const ConfigReading reading = readConfiguration(text, ValueRange::ProfileFile);
    ASSERT_TRUE(reading.request) << describeErrors(reading.errors);
    EXPECT_EQ(reading.request->effect, 200);
    EXPECT_EQ(reading.request->brightness, 255);
    EXPECT_EQ(reading.request->direction, 0);
    EXPECT_EQ(reading.request->responseTime, 0);
    EXPECT_EQ(reading.request->reportRate, 9);
}

TEST(ConfigReader, EachKindOfAssignmentIsRead) {
    const ConfigReading reading = readConfiguration(
        R"({"format": 1, "lighting": {"effect": "DIY2"}, "responseTimeMs": 8,
            "reportRateHz": 250, "keys": {
            "Esc": "default", "Caps": "disabled", "A": {"key": "LCtrl"},
            "B": {"combination": ["LCtrl", "Num +"]}, "F1": {"function": "Vol+"},
            "F2": {"macro": 6}, "F3": {"launch": "/home/ann/音乐/a b.mp3", "kind": "mp3"},
            "F4": {"entry": [16, 0, 2, 0]}}})",
        ValueRange::Keyboard);
    ASSERT_TRUE(reading.request) << describeErrors(reading.errors);
    const ConfigRequest& request = *reading.request;
    EXPECT_EQ(request.effect, 52);
    EXPECT_EQ(request.responseTime, 4);
    EXPECT_EQ(request.reportRate, 1);
    ASSERT_EQ(request.keys.size(), 8u);
    using Kind = KeyTarget::Kind;
    const Kind kinds[] = {Kind::Default,  Kind::Disabled, Kind::Key,    Kind::Combination,
                          Kind::Function, Kind::Macro,    Kind::Launch, Kind::Entry};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(request.keys[i].second.kind, kinds[i]) << i;
    EXPECT_EQ(request.keys[0].first, 0u);  // Esc is the picture's first key
    EXPECT_THAT(request.keys[2].second.virtualKeys, ElementsAre(0xA2));
    EXPECT_THAT(request.keys[3].second.virtualKeys, ElementsAre(0xA2, 0x6B));
    EXPECT_EQ(request.keys[4].second.function, u"Vol+");
    EXPECT_EQ(request.keys[5].second.macroSlot, 5);
    EXPECT_EQ(request.keys[6].second.launchPath, u"/home/ann/音乐/a b.mp3");
    EXPECT_EQ(request.keys[6].second.launchType, AssignmentType::LaunchMp3);
    EXPECT_EQ(request.keys[7].second.entry, (KeyEntry{16, 0, 2, 0}));
}

// What the dump writes, the reader takes back as the same key: names shared by two codes
// must lead to the code the keyboard knows.
TEST(ConfigReader, EveryKeyNameTheDumpWritesNamesTheSameKeyboardCode) {
    const KeyNameTable names;
    for (int code = 0; code < 256; ++code) {
        const auto usage = names.usage(static_cast<std::uint8_t>(code));
        if (usage == 0) continue;
        const auto shown = keyAssignmentToJson({0, 0, usage, 0}, 200, nullptr, names);
        if (!shown.contains("key")) continue;
        const auto vk = virtualKeyNamed(shown["key"].get<std::string>(), names);
        ASSERT_TRUE(vk) << shown.dump();
        EXPECT_EQ(names.usage(*vk), usage) << shown.dump();
    }
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (isMediaKey(key)) continue;
        EXPECT_EQ(pictureKeyNamed(pictureKeyName(names, key), names), key);
    }
}

}  // namespace
}  // namespace tq260

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/udev_rule_set.h"

namespace tq260::testing {
namespace {

using Properties = std::map<std::string, std::string>;
using Tags = std::set<std::string>;

const std::filesystem::path kUdevDir = std::filesystem::path(TQ260_PACKAGING_DIR) / "udev";
const char* const kAccessRules = "70-tq260.rules";
const char* const kLaunchKeyRules = "71-tq260-launch-keys.rules";
const char* const kLightingKeyRules = "72-tq260-lighting-keys.rules";

// What usb_id finds walking up to the usb_interface and usb_device parents: lower-case hex as in
// sysfs idVendor/idProduct, two hex digits of bInterfaceNumber.
Properties usbIds(const std::string& vendor, const std::string& model,
                  const std::string& interfaceNum) {
    return {{"ID_BUS", "usb"},
            {"ID_VENDOR_ID", vendor},
            {"ID_MODEL_ID", model},
            {"ID_USB_INTERFACE_NUM", interfaceNum}};
}

Properties keyboardInput() {
    return {{"ID_INPUT", "1"}, {"ID_INPUT_KEY", "1"}, {"ID_INPUT_KEYBOARD", "1"}};
}
Properties mouseInput() {
    return {{"ID_INPUT", "1"}, {"ID_INPUT_MOUSE", "1"}};
}
// The legacy mouse0/js0 nodes hang off the same input device as its event node, so input_id
// reports the same capabilities for them.
Properties keyboardAndMouseInput() {
    Properties both = keyboardInput();
    both.merge(mouseInput());
    return both;
}

SampleDevice hidrawNode(const std::string& kernel, std::optional<Properties> usb,
                        const std::string& action = "add") {
    SampleDevice device;
    device.action = action;
    device.subsystem = "hidraw";
    device.kernel = kernel;
    device.usbId = std::move(usb);
    return device;
}

SampleDevice inputNode(const std::string& kernel, std::optional<Properties> usb,
                       std::optional<Properties> input, const std::string& action = "add") {
    SampleDevice device;
    device.action = action;
    device.subsystem = "input";
    device.kernel = kernel;
    device.usbId = std::move(usb);
    device.inputId = std::move(input);
    return device;
}

const Properties kOurInterface0 = usbIds("04d9", "a12f", "00");
const Properties kOurInterface1 = usbIds("04d9", "a12f", "01");
const Properties kOurInterface2 = usbIds("04d9", "a12f", "02");
const Properties kOurInterface3 = usbIds("04d9", "a12f", "03");

// Near misses of 04d9:a12f, so that a loosened pattern shows.
const std::vector<std::pair<std::string, std::string>> kOtherIds{
    {"04d9", "a130"}, {"04d9", "a12e"}, {"04d9", "a12f0"}, {"046d", "a12f"},
    {"04d8", "a12f"}, {"04da", "a12f"}, {"14d9", "a12f"}};

struct Case {
    std::string label;
    SampleDevice device;
};

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ShippedRules : public ::testing::Test {
  protected:
    void load(const char* name) {
        UdevRuleParse parsed = UdevRuleSet::load(kUdevDir / name);
        ASSERT_TRUE(parsed.rules) << parsed.error;
        rules = std::move(*parsed.rules);
    }

    // Tags only; the outcome must carry no permission or program assignments either way.
    Tags tagsFor(const SampleDevice& device) const {
        const RuleOutcome outcome = rules.evaluate(device);
        EXPECT_TRUE(outcome.assignments.empty()) << outcome.assignments.front();
        return outcome.tags;
    }

    void expectNoPermissionKeys() const {
        for (const char* key : {"MODE", "OWNER", "GROUP", "RUN"}) {
            for (const RuleToken& token : rules.tokensWithKey(key)) {
                ADD_FAILURE() << key << " is set (to \"" << token.value
                              << "\"); access must come from the uaccess tag alone";
            }
        }
    }

    UdevRuleSet rules;
};

// ---- 70-tq260.rules: the hidraw node of the command interface, always ----

class UdevRulesHidrawAccess : public ShippedRules {
  protected:
    void SetUp() override { load(kAccessRules); }
};

TEST_F(UdevRulesHidrawAccess, InterfaceThreeGetsUaccessOnEveryNonRemoveEvent) {
    for (const std::string action : {"add", "change", "bind"}) {
        EXPECT_EQ(tagsFor(hidrawNode("hidraw4", kOurInterface3, action)), Tags{"uaccess"})
            << action;
    }
}

TEST_F(UdevRulesHidrawAccess, OtherInterfacesKeepTheirUsualPermissions) {
    // 00 and 01 carry what is typed; 13 is no interface of the keyboard, but a pattern
    // loosened to "*3" would take it.
    for (const std::string interfaceNum : {"00", "01", "02", "13", "10", ""}) {
        EXPECT_EQ(tagsFor(hidrawNode("hidraw2", usbIds("04d9", "a12f", interfaceNum))), Tags{})
            << "interface \"" << interfaceNum << "\"";
    }
}

TEST_F(UdevRulesHidrawAccess, OtherVendorsProductsAndNonUsbHidrawAreLeftAlone) {
    std::vector<Case> cases;
    for (const auto& [vendor, model] : kOtherIds) {
        for (const std::string interfaceNum : {"01", "03"}) {
            cases.push_back({vendor + ":" + model + " interface " + interfaceNum,
                             hidrawNode("hidraw5", usbIds(vendor, model, interfaceNum))});
        }
    }
    cases.push_back({"hidraw without a USB parent", hidrawNode("hidraw6", std::nullopt)});
    for (const Case& c : cases) EXPECT_EQ(tagsFor(c.device), Tags{}) << c.label;
}

TEST_F(UdevRulesHidrawAccess, TheKeyboardsInputNodesAndRemoveEventsAreLeftAlone) {
    const std::vector<Case> cases{
        {"event node, interface 00", inputNode("event7", kOurInterface0, keyboardInput())},
        {"event node, interface 01", inputNode("event8", kOurInterface1, keyboardInput())},
        {"event node, interface 03", inputNode("event9", kOurInterface3, keyboardInput())},
        {"input device, interface 01", inputNode("input12", kOurInterface1, keyboardInput())},
        {"remove, interface 01", hidrawNode("hidraw4", kOurInterface1, "remove")},
        {"remove, interface 03", hidrawNode("hidraw4", kOurInterface3, "remove")}};
    for (const Case& c : cases) EXPECT_EQ(tagsFor(c.device), Tags{}) << c.label;
}

TEST_F(UdevRulesHidrawAccess, NoRuleSetsModeOwnerGroupOrRun) {
    expectNoPermissionKeys();
}

// ---- 72-tq260-lighting-keys.rules: interface 1 (lighting keys and typed keys), opt-in ----

class UdevRulesLightingKeys : public ShippedRules {
  protected:
    void SetUp() override { load(kLightingKeyRules); }
};

TEST_F(UdevRulesLightingKeys, OnlyInterfaceOneGetsUaccess) {
    for (const std::string interfaceNum : {"00", "01", "03", "11"}) {
        EXPECT_EQ(tagsFor(hidrawNode("hidraw4", usbIds("04d9", "a12f", interfaceNum))),
                  interfaceNum == "01" ? Tags{"uaccess"} : Tags{})
            << interfaceNum;
    }
    EXPECT_EQ(tagsFor(hidrawNode("hidraw4", kOurInterface1, "remove")), Tags{});
    expectNoPermissionKeys();
}

// ---- 71-tq260-launch-keys.rules: the keyboard's key input, opt-in ----

class UdevRulesLaunchKeys : public ShippedRules {
  protected:
    void SetUp() override { load(kLaunchKeyRules); }
};

TEST_F(UdevRulesLaunchKeys, KeyboardEventNodesGetUaccess) {
    for (const std::string action : {"add", "change"}) {
        for (const Properties& usb : {kOurInterface0, kOurInterface1}) {
            EXPECT_EQ(tagsFor(inputNode("event3", usb, keyboardInput(), action)), Tags{"uaccess"})
                << action << " on interface " << usb.at("ID_USB_INTERFACE_NUM");
        }
    }
}

TEST_F(UdevRulesLaunchKeys, NodesThatAreNotKeyboardEventNodesAreLeftAlone) {
    const std::vector<Case> cases{
        {"mouse event node", inputNode("event5", kOurInterface1, mouseInput())},
        {"event node input_id cannot read", inputNode("event5", kOurInterface1, std::nullopt)},
        {"mouse0", inputNode("mouse0", kOurInterface1, keyboardAndMouseInput())},
        {"js0", inputNode("js0", kOurInterface1, keyboardAndMouseInput())},
        {"input device", inputNode("input12", kOurInterface0, keyboardInput())},
        {"hidraw, interface 00", hidrawNode("hidraw0", kOurInterface0)},
        {"hidraw, interface 01", hidrawNode("hidraw1", kOurInterface1)},
        {"hidraw, interface 03", hidrawNode("hidraw3", kOurInterface3)},
        {"remove", inputNode("event3", kOurInterface0, keyboardInput(), "remove")}};
    for (const Case& c : cases) EXPECT_EQ(tagsFor(c.device), Tags{}) << c.label;
}

TEST_F(UdevRulesLaunchKeys, OtherVendorsAndProductsAreLeftAlone) {
    for (const auto& [vendor, model] : kOtherIds) {
        EXPECT_EQ(tagsFor(inputNode("event3", usbIds(vendor, model, "00"), keyboardInput())),
                  Tags{})
            << vendor << ":" << model;
    }
    EXPECT_EQ(tagsFor(inputNode("event3", std::nullopt, keyboardInput())), Tags{})
        << "keyboard without a USB parent";
}

TEST_F(UdevRulesLaunchKeys, NoRuleSetsModeOwnerGroupOrRun) {
    expectNoPermissionKeys();
}

// A typo in a shipped file, made here on its real text, makes the file unreadable rather than
// silently switching a rule off.
TEST(UdevRuleTyposInShippedFiles, AreRejected) {
    struct Typo {
        const char* file;
        std::string from;
        std::string to;
        std::string reason;
    };
    const std::vector<Typo> typos{
        {kAccessRules, "ENV{ID_VENDOR_ID}!=", "ENV{ID_VENDOR_ID}=", "assigns what the usb_id"},
        {kAccessRules, "SUBSYSTEM!=", "SUBSYTEM!=", "unknown key \"SUBSYTEM\""},
        {kAccessRules, "LABEL=\"tq260_end\"", "LABEL=\"tq260_ned\"", "has no LABEL"},
        {kAccessRules, "\"03\",", "\"03,", "expected \",\""},
        {kAccessRules, "TAG+=\"uaccess\"", "TAG+=\"uaccess", "missing closing quote"},
        {kLaunchKeyRules, "ENV{ID_MODEL_ID}!=", "ENV{ID_MODEL_ID}=", "assigns what the usb_id"},
        {kLaunchKeyRules,
         "ENV{ID_INPUT_KEYBOARD}==", "ENV{ID_INPUT_KEYBOARD}=", "assigns what the input_id"},
        {kLaunchKeyRules, "KERNEL!=", "KERNEL=", "operator = is not allowed for KERNEL"},
        {kLaunchKeyRules, "\"input_id\"", "\"input-id\"", "unknown builtin"}};
    for (const Typo& typo : typos) {
        std::string text = readText(kUdevDir / typo.file);
        const std::size_t at = text.find(typo.from);
        ASSERT_NE(at, std::string::npos) << typo.file << " no longer contains " << typo.from;
        text.replace(at, typo.from.size(), typo.to);
        const UdevRuleParse parsed = UdevRuleSet::parse(text, typo.file);
        EXPECT_FALSE(parsed.rules) << typo.file << ": " << typo.to << " was accepted";
        EXPECT_NE(parsed.error.find(typo.reason), std::string::npos)
            << typo.to << " gave: " << parsed.error;
    }
}

// ---- The evaluator itself ----

UdevRuleSet parseOrFail(const std::string& text) {
    UdevRuleParse parsed = UdevRuleSet::parse(text, "sample.rules");
    EXPECT_TRUE(parsed.rules) << parsed.error;
    return parsed.rules ? std::move(*parsed.rules) : UdevRuleSet{};
}

TEST(UdevRuleParsing, BrokenRuleTextIsRejectedWithItsReason) {
    struct Broken {
        std::string text;
        std::string reason;
    };
    const std::vector<Broken> broken{
        {"ENV{ID_VENDOR_ID}=\"04d9\", GOTO=\"end\"\nLABEL=\"end\"", "assigns what the usb_id"},
        {"SUBSYTEM!=\"hidraw\", GOTO=\"end\"\nLABEL=\"end\"", "unknown key \"SUBSYTEM\""},
        {"ATTRS{idVendor}==\"04d9\", TAG+=\"x\"", "unknown key \"ATTRS\""},
        {"subsystem==\"hidraw\", TAG+=\"x\"", "expected a key"},
        {"ACTION==\"remove\", GOTO=\"tq260_ned\"\nLABEL=\"tq260_end\"", "has no LABEL"},
        {"LABEL=\"end\"\nACTION==\"remove\", GOTO=\"end\"", "has no LABEL"},
        {"ENV{ID_USB_INTERFACE_NUM}==\"01|03\", TAG+=\"uaccess", "missing closing quote"},
        {"SUBSYSTEM==hidraw, TAG+=\"x\"", "must be in double quotes"},
        {"SUBSYSTEM==\"hidraw\" TAG+=\"x\"", "expected \",\""},
        {"SUBSYSTEM==\"hidraw\", TAG+=\"x\",", "line ends with \",\""},
        {"SUBSYSTEM==\"hidraw\"", "only matches"},
        {"TAG=\"uaccess\"", "operator = is not allowed for TAG"},
        {"TAG-=\"uaccess\"", "expected an operator"},
        {"ACTION=\"remove\", GOTO=\"end\"\nLABEL=\"end\"", "operator = is not allowed for ACTION"},
        {"MODE==\"0666\", TAG+=\"x\"", "operator == is not allowed for MODE"},
        {"IMPORT{builtin}=\"usb-id\"", "unknown builtin"},
        {"IMPORT{program}=\"usb_id\"", "only IMPORT{builtin}"},
        {"ENV{}==\"1\", TAG+=\"x\"", "needs a property name"},
        {"ENV{ID_INPUT_KEYBOARD==\"1\", TAG+=\"x\"", "missing }"},
        {"ENV{ID-INPUT}==\"1\", TAG+=\"x\"", "is not a property name"},
        {"KERNEL==\"hidraw[0-9\", TAG+=\"x\"", "unclosed ["},
        {"KERNEL==\"a\", GOTO=\"end\", GOTO=\"end\"\nLABEL=\"end\"", "more than one GOTO"}};
    for (const Broken& b : broken) {
        const UdevRuleParse parsed = UdevRuleSet::parse(b.text, "broken.rules");
        EXPECT_FALSE(parsed.rules) << b.text << "\nwas accepted";
        EXPECT_NE(parsed.error.find(b.reason), std::string::npos)
            << b.text << "\ngave: " << parsed.error;
    }
}

TEST(UdevRuleParsing, ErrorsNameTheFileAndLine) {
    const std::string text =
        "# comment\n"
        "\n"
        "  SUBSYSTEM==\"hidraw\", TAG+=\"x\"\n"
        "KERNEL==\"hidraw*\", TAG+=\"y\", MODDE=\"0600\"\n";
    const UdevRuleParse parsed = UdevRuleSet::parse(text, "broken.rules");
    ASSERT_FALSE(parsed.rules);
    EXPECT_EQ(parsed.error.rfind("broken.rules:4: ", 0), 0u) << parsed.error;
}

TEST(UdevRuleParsing, CommentsBlankLinesAndSpacingAreAccepted) {
    const UdevRuleSet rules = parseOrFail(
        "# a comment\n"
        "\n"
        "   \t\n"
        "  # an indented comment\n"
        "SUBSYSTEM==\"hidraw\",TAG+=\"a\"\n"
        "\tKERNEL==\"hidraw1\" ,  TAG+=\"b\"   \n");
    ASSERT_EQ(rules.lines().size(), 2u);
    EXPECT_EQ(rules.lines()[0].number, 5);
    EXPECT_EQ(rules.lines()[1].number, 6);
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw1", std::nullopt)).tags, (Tags{"a", "b"}));
}

TEST(UdevRuleGlob, MatchesAsUdevDoes) {
    struct Glob {
        const char* pattern;
        const char* value;
        bool matches;
    };
    const std::vector<Glob> globs{{"01|03", "01", true},
                                  {"01|03", "03", true},
                                  {"01|03", "00", false},
                                  {"01|03", "013", false},
                                  {"01|03", "01|03", false},
                                  {"event*", "event12", true},
                                  {"event*", "event", true},
                                  {"event*", "js0", false},
                                  {"event*", "myevent1", false},
                                  {"04d?", "04d9", true},
                                  {"04d?", "04d", false},
                                  {"hidraw[0-9]", "hidraw7", true},
                                  {"hidraw[0-9]", "hidrawx", false},
                                  {"[!0]1", "11", true},
                                  {"[!0]1", "01", false},
                                  {"a12f", "A12F", false},
                                  {"", "", true},
                                  {"", "x", false},
                                  {"x|", "", true},
                                  {"*", "", true}};
    for (const Glob& g : globs) {
        EXPECT_EQ(udevPatternMatches(g.pattern, g.value), g.matches)
            << "\"" << g.pattern << "\" against \"" << g.value << "\"";
    }
}

TEST(UdevRuleEvaluation, AssignmentsNeedEveryMatchOnTheLine) {
    const UdevRuleSet rules =
        parseOrFail("SUBSYSTEM==\"hidraw\", KERNEL==\"hidraw1\", ACTION==\"add\", TAG+=\"all\"\n");
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw1", std::nullopt)).tags, Tags{"all"});
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw2", std::nullopt)).tags, Tags{});
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw1", std::nullopt, "change")).tags, Tags{});
    EXPECT_EQ(rules.evaluate(inputNode("hidraw1", std::nullopt, std::nullopt)).tags, Tags{});
}

TEST(UdevRuleEvaluation, NotEqualHoldsWhenNoAlternativeMatchesOrThePropertyIsUnset) {
    const UdevRuleSet rules = parseOrFail(
        "KERNEL!=\"event*|js*\", TAG+=\"other\"\n"
        "ENV{TQ_UNSET}!=\"1\", TAG+=\"unset\"\n");
    EXPECT_EQ(rules.evaluate(inputNode("mouse0", std::nullopt, std::nullopt)).tags,
              (Tags{"other", "unset"}));
    EXPECT_EQ(rules.evaluate(inputNode("event3", std::nullopt, std::nullopt)).tags, Tags{"unset"});
    EXPECT_EQ(rules.evaluate(inputNode("js0", std::nullopt, std::nullopt)).tags, Tags{"unset"});
}

TEST(UdevRuleEvaluation, BuiltinPropertiesAppearOnlyAfterTheirImport) {
    const UdevRuleSet rules = parseOrFail(
        "ENV{ID_VENDOR_ID}==\"04d9\", TAG+=\"vendor-before\"\n"
        "IMPORT{builtin}=\"usb_id\"\n"
        "ENV{ID_VENDOR_ID}==\"04d9\", TAG+=\"vendor-after\"\n"
        "ENV{ID_INPUT_KEYBOARD}==\"1\", TAG+=\"keyboard-before\"\n"
        "IMPORT{builtin}=\"input_id\"\n"
        "ENV{ID_INPUT_KEYBOARD}==\"1\", TAG+=\"keyboard-after\"\n");
    const RuleOutcome both = rules.evaluate(inputNode("event3", kOurInterface0, keyboardInput()));
    EXPECT_EQ(both.tags, (Tags{"vendor-after", "keyboard-after"}));
    EXPECT_EQ(both.env.at("ID_USB_INTERFACE_NUM"), "00");

    // A builtin that fails sets nothing.
    const RuleOutcome none = rules.evaluate(inputNode("event3", std::nullopt, std::nullopt));
    EXPECT_EQ(none.tags, Tags{});
    EXPECT_TRUE(none.env.empty());
}

TEST(UdevRuleEvaluation, GotoSkipsForwardToItsLabel) {
    const UdevRuleSet rules = parseOrFail(
        "KERNEL==\"skip*\", GOTO=\"end\"\n"
        "TAG+=\"middle\"\n"
        "LABEL=\"end\"\n"
        "TAG+=\"last\"\n");
    EXPECT_EQ(rules.evaluate(hidrawNode("skipme", std::nullopt)).tags, Tags{"last"});
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw0", std::nullopt)).tags, (Tags{"middle", "last"}));
}

TEST(UdevRuleEvaluation, AnAssignedPropertyIsSeenByLaterLines) {
    const UdevRuleSet rules = parseOrFail(
        "KERNEL==\"hidraw1\", ENV{TQ_MARK}=\"yes\"\n"
        "ENV{TQ_MARK}==\"yes\", TAG+=\"marked\"\n");
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw1", std::nullopt)).tags, Tags{"marked"});
    EXPECT_EQ(rules.evaluate(hidrawNode("hidraw2", std::nullopt)).tags, Tags{});
}

// The shipped files are checked for the absence of these; this shows they would be seen.
TEST(UdevRuleEvaluation, PermissionAndProgramAssignmentsAreRecorded) {
    const UdevRuleSet rules = parseOrFail(
        "KERNEL==\"hidraw1\", MODE=\"0666\", OWNER=\"root\", GROUP:=\"input\", "
        "RUN+=\"/bin/true\"\n");
    ASSERT_EQ(rules.tokensWithKey("MODE").size(), 1u);
    EXPECT_EQ(rules.tokensWithKey("MODE")[0].value, "0666");
    EXPECT_EQ(rules.tokensWithKey("RUN").size(), 1u);
    EXPECT_EQ(
        rules.evaluate(hidrawNode("hidraw1", std::nullopt)).assignments,
        (std::vector<std::string>{"MODE=0666", "OWNER=root", "GROUP=input", "RUN=/bin/true"}));
    EXPECT_TRUE(rules.evaluate(hidrawNode("hidraw2", std::nullopt)).assignments.empty());
}

}  // namespace
}  // namespace tq260::testing

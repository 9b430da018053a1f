#include "macro/macro_event.h"

#include <gmock/gmock.h>

namespace tq260 {
namespace {

using ::testing::ElementsAre;

EventString eventString(std::initializer_list<std::uint8_t> bytes) {
    EventString string{};
    std::copy(bytes.begin(), bytes.end(), string.begin());
    return string;
}

TEST(MacroEventEncoding, ShortAndLongForms) {
    EXPECT_THAT(encodeMacroEvent({false, 0x41, 1}), ElementsAre(0x01, 0x41));
    EXPECT_THAT(encodeMacroEvent({true, 0x41, 1}), ElementsAre(0x81, 0x41));
    EXPECT_THAT(encodeMacroEvent({true, 0x41, 80}), ElementsAre(0xD0, 0x41));
    EXPECT_THAT(encodeMacroEvent({false, 0x41, 126}), ElementsAre(0x7E, 0x41));
    EXPECT_THAT(encodeMacroEvent({false, 0x41, 127}), ElementsAre(0x7F, 0x41, 0x00, 0x7F));
    EXPECT_THAT(encodeMacroEvent({true, 0x41, 200}), ElementsAre(0xFF, 0x41, 0x00, 0xC8));
    EXPECT_THAT(encodeMacroEvent({true, 0x41, 60000}), ElementsAre(0xFF, 0x41, 0xEA, 0x60));
}

TEST(MacroEventEncoding, DelaysOutsideTheFormatAreBroughtIntoIt) {
    // A delay under 1 ms would give a zero type byte, which ends the string.
    EXPECT_THAT(encodeMacroEvent({false, 0x41, 0}), ElementsAre(0x01, 0x41));
    EXPECT_THAT(encodeMacroEvent({false, 0x41, 65535}), ElementsAre(0x7F, 0x41, 0xEA, 0x60));
}

TEST(MacroEventEncoding, BothStringsGetTheEventWithTheirOwnKeyByte) {
    const KeyNameTable names;
    EventString device{};
    EventString keys{};
    EXPECT_EQ(writeMacroEvent(device, keys, 0, {false, 'A', 1}, names), 2U);
    EXPECT_EQ(writeMacroEvent(device, keys, 2, {true, 'A', 200}, names), 4U);
    EXPECT_THAT(std::vector<std::uint8_t>(keys.begin(), keys.begin() + 7),
                ElementsAre(0x01, 0x41, 0xFF, 0x41, 0x00, 0xC8, 0x00));
    EXPECT_THAT(std::vector<std::uint8_t>(device.begin(), device.begin() + 7),
                ElementsAre(0x01, 0x04, 0xFF, 0x04, 0x00, 0xC8, 0x00));
}

TEST(MacroEventEncoding, KeysWithoutACodeAndEventsThatDoNotFitAreRefused) {
    const KeyNameTable names;
    EventString device{};
    EventString keys{};
    EXPECT_EQ(writeMacroEvent(device, keys, 0, {false, 0x10, 1}, names), 0U);  // no usage
    EXPECT_EQ(writeMacroEvent(device, keys, 188, {false, 'A', 1}, names), 2U);
    EXPECT_EQ(writeMacroEvent(device, keys, 188, {false, 'A', 500}, names), 0U);
    EXPECT_EQ(writeMacroEvent(device, keys, 189, {false, 'A', 1}, names), 0U);
    EXPECT_EQ(device[0], 0);
    EXPECT_EQ(keys[1], 0);
}

TEST(EventStrings, LengthStopsAtTheFirstZeroByte) {
    EXPECT_EQ(eventStringLength(eventString({})), 0U);
    EXPECT_EQ(eventStringLength(eventString({0x01, 0x04, 0x81, 0x04})), 4U);
    // The high delay byte of a long event is a zero byte too.
    EXPECT_EQ(eventStringLength(eventString({0x01, 0x04, 0xFF, 0x04, 0x00, 0xC8})), 4U);
    EventString full{};
    full.fill(0x11);
    EXPECT_EQ(eventStringLength(full), 190U);
}

TEST(EventStrings, ReadingNeverRunsPastTheEnd) {
    EventString garbage{};
    garbage.fill(0xFF);  // long events all the way
    std::size_t offset = 0;
    int events = 0;
    while (macroEventAt(garbage, offset)) {
        offset += macroEventSize(garbage[offset]);
        ++events;
    }
    EXPECT_EQ(events, 47);  // the 48th would cross byte 190
    EXPECT_LE(offset, 190U);
    EXPECT_FALSE(macroEventAt(garbage, 186 + 2));
    EXPECT_FALSE(macroEventAt(garbage, 189));
    EXPECT_FALSE(macroEventAt(garbage, 500));
    EXPECT_EQ(LineMapping::eventStartingAt(garbage, 1000), 0U);
    EXPECT_EQ(LineMapping::eventEndingAt(garbage, 1000), 0U);
}

// Keys A and B: A press, 5 ms, A release, B press, 200 ms, B release.
const EventString kExample =
    eventString({0x01, 0x41, 0x85, 0x41, 0x01, 0x42, 0xFF, 0x42, 0x00, 0xC8});

TEST(LineMapping, EventStartingAtLine) {
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 0), 0U);
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 1), 2U);
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 3), 4U);
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 4), 6U);
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 6),
              10U);  // the end, where an event is appended
    EXPECT_EQ(LineMapping::eventStartingAt(kExample, 7), 0U);  // no such line
    EXPECT_EQ(LineMapping::eventStartingAt(eventString({}), 0), 0U);
}

TEST(LineMapping, EventEndingAtLine) {
    EXPECT_EQ(LineMapping::eventEndingAt(kExample, 0), 0U);
    EXPECT_EQ(LineMapping::eventEndingAt(kExample, 2), 2U);
    EXPECT_EQ(LineMapping::eventEndingAt(kExample, 3), 4U);
    EXPECT_EQ(LineMapping::eventEndingAt(kExample, 5), 6U);
    EXPECT_EQ(LineMapping::eventEndingAt(kExample, 6), 0U);
}

TEST(MacroEventLines, ExampleShowsSixLines) {
    const KeyNameTable names;
    MacroRecord record;
    record.keyEvents = kExample;
    record.deviceEvents = eventString({0x01, 0x04, 0x85, 0x04, 0x01, 0x05, 0xFF, 0x05, 0x00, 0xC8});
    EXPECT_THAT(macroEventLines(record, names),
                ElementsAre(u"A  dn", u"5 ms", u"A  up", u"B  dn", u"200 ms", u"B  up"));
}

TEST(MacroEventLines, FirstPressNeverShowsItsDelayButAFirstReleaseDoes) {
    const KeyNameTable names;
    MacroRecord record;
    record.keyEvents = eventString({0x05, 0x41, 0x87, 0x41});
    record.deviceEvents = eventString({0x05, 0x04, 0x87, 0x04});
    EXPECT_THAT(macroEventLines(record, names), ElementsAre(u"A  dn", u"7 ms", u"A  up"));
    record.keyEvents = eventString({0x87, 0xF0});
    record.deviceEvents = eventString({0x87, 0xF0});
    EXPECT_THAT(macroEventLines(record, names), ElementsAre(u"7 ms", u"MsLB up"));
    record.deviceEvents = eventString({});
    EXPECT_TRUE(macroEventLines(record, names).empty());
}

}  // namespace
}  // namespace tq260

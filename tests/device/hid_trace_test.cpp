#include "device/hid_trace.h"

#include <gmock/gmock.h>

#include <cstdlib>

#include "device/device_commands.h"
#include "device/device_link.h"
#include "emulator/emulator_transport.h"
#include "emulator/virtual_clock.h"
#include "support/scoped_environment.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::readLines;
using testing::TemporaryFolder;

class HidTraceFile : public ::testing::Test {
  protected:
    TemporaryFolder folder;
    std::filesystem::path file = folder / "trace.txt";
    VirtualClock clock;
    EmulatorTransport transport{clock};
    VirtualKeyboard& keyboard = transport.addKeyboard();
};

TEST_F(HidTraceFile, EveryReportIsOneLineTimedFromTheLinkOpening) {
    clock.blockUs(7'000'000);  // time before the link opened does not count
    DeviceLink link(transport, clock, std::make_shared<HidTrace>(file, clock));
    ASSERT_TRUE(link.connect());
    DeviceSettings settings;
    settings.lighting = {1, 50, 9, 2, 0};
    writeLighting(link, settings);
    readReportRate(link, settings);
    keyboard.changeLightingOnKeyboard({5, 32, 2, 1, 4});
    std::array<std::uint8_t, 7> event{4};
    ASSERT_EQ(link.eventChannel()->read(event, 200), 7);

    EXPECT_THAT(
        readLines(file),
        ElementsAre("0 cmd set 00 08 01 32 0a 02 00 00 cc", "10 cmd set 00 81 00 00 00 00 00 00 0a",
                    "20 cmd get 00 81 03 00 00 00 00 00 0f", "30 evt read 04 01 05 20 03 81 00"));
}

TEST_F(HidTraceFile, FailedCallsAreMarked) {
    DeviceLink link(transport, clock, std::make_shared<HidTrace>(file, clock));
    ASSERT_TRUE(link.connect());
    keyboard.unplug();
    DeviceSettings settings;
    readGameMode(link, settings);  // the failed request is the last call of its transaction
    keyboard.plug();
    ASSERT_TRUE(link.connect());
    keyboard.fallSilentAfterCommands(1);
    readGameMode(link, settings);
    EXPECT_THAT(readLines(file), ElementsAre("0 cmd set 00 82 00 00 00 00 00 00 09 failed",
                                             "0 cmd set 00 82 00 00 00 00 00 00 09",
                                             "5005 cmd get 00 00 00 00 00 00 00 00 00 failed"));
}

TEST_F(HidTraceFile, IdleEventWaitsLeaveNoLine) {
    DeviceLink link(transport, clock, std::make_shared<HidTrace>(file, clock));
    ASSERT_TRUE(link.connect());
    std::array<std::uint8_t, 7> event{4};
    EXPECT_EQ(link.eventChannel()->read(event, 200), 0);
    EXPECT_TRUE(readLines(file).empty());
}

TEST_F(HidTraceFile, ReadsLogOnlyTheBytesThatArrived) {
    DeviceLink link(transport, clock, std::make_shared<HidTrace>(file, clock));
    ASSERT_TRUE(link.connect());
    keyboard.sendEventReport({0x02, 0xE9, 0x00});  // a consumer key report on the same interface
    std::array<std::uint8_t, 64> buffer{};
    ASSERT_EQ(link.eventChannel()->read(buffer, 200), 3);
    EXPECT_THAT(readLines(file), ElementsAre("0 evt read 02 e9 00"));
}

TEST_F(HidTraceFile, EnvironmentVariableTracesAnyLink) {
    {
        const testing::ScopedEnvironment traced(HidTrace::kEnvironmentVariable, file.string());
        DeviceLink link(transport, clock);
        ASSERT_TRUE(link.connect());
        gameModeOn(link);
    }
    EXPECT_THAT(readLines(file), ElementsAre("0 cmd set 00 02 01 00 00 00 00 00 88"));

    DeviceLink untraced(transport, clock);
    ASSERT_TRUE(untraced.connect());
    gameModeOn(untraced);
    EXPECT_EQ(readLines(file).size(), 1U);
}

TEST_F(HidTraceFile, AppendsToAnExistingTrace) {
    { std::ofstream(file) << "earlier line\n"; }
    DeviceLink link(transport, clock, std::make_shared<HidTrace>(file, clock));
    ASSERT_TRUE(link.connect());
    gameModeOn(link);
    EXPECT_THAT(readLines(file),
                ElementsAre("earlier line", "0 cmd set 00 02 01 00 00 00 00 00 88"));
}

}  // namespace
}  // namespace tq260

// Save and the factory reset run on a thread of their own: one at a time, with their steps
// told in order, and their end handled on the main thread.
#include "device/background_operation.h"

#include <gmock/gmock.h>

#include <future>

#include "device/composite_operations.h"
#include "support/emulated_keyboard.h"
#include "support/main_queues.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::EmulatedKeyboardTest;
using testing::ManualMainQueue;

using Step = std::pair<OperationStep, int>;

class Operations : public EmulatedKeyboardTest {
  protected:
    ManualMainQueue mainThread{clock};
};

TEST_F(Operations, OneAtATimeWithItsStepsAndItsEndOnTheMainThread) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> progress;
    std::vector<OperationResult> ends;
    BackgroundOperation operation(mainThread);
    ASSERT_TRUE(operation.start(
        [&](const ProgressListener& tell) {
            tell({OperationStep::Lighting, 0, 2});
            released.wait();
            tell({OperationStep::GameMode, 1, 2});
            return OperationResult::NotAnswering;
        },
        [&](const OperationProgress& p) { progress.push_back(p.done); },
        [&](OperationResult result) { ends.push_back(result); }));
    EXPECT_TRUE(operation.busy());
    EXPECT_FALSE(
        operation.start([](const ProgressListener&) { return OperationResult::Done; }, {}, {}));
    ASSERT_TRUE(mainThread.runUntil([&] { return progress.size() == 1; }));
    release.set_value();
    ASSERT_TRUE(mainThread.runUntil([&] { return !ends.empty(); }));
    EXPECT_THAT(progress, ElementsAre(0, 1));
    EXPECT_THAT(ends, ElementsAre(OperationResult::NotAnswering));
    EXPECT_FALSE(operation.busy());
}

TEST_F(Operations, WhatEndsAfterTheOwnerIsGoneIsNeverHandled) {
    bool handled = false;
    {
        BackgroundOperation operation(mainThread);
        operation.start([](const ProgressListener&) { return OperationResult::Done; },
                        [&](const OperationProgress&) { handled = true; },
                        [&](OperationResult) { handled = true; });
    }  // waits for the work
    mainThread.runAll();
    EXPECT_FALSE(handled);
}

TEST_F(Operations, WriteBackTellsEachStepBeforeSendingIt) {
    DeviceSettings settings;
    SettingsShadow shadow;
    settings.keyTable[3].code = 0x10;
    settings.macroBlocks[2][0] = 1;
    std::vector<Step> steps;
    std::vector<std::size_t> setsBefore;
    writeBack(link, settings, shadow, [&](const OperationProgress& p) {
        EXPECT_EQ(p.total, 6);
        steps.emplace_back(p.step, p.done);
        setsBefore.push_back(wire("set").size());
    });
    EXPECT_THAT(
        steps, ElementsAre(Step{OperationStep::Lighting, 0}, Step{OperationStep::KeyTable, 1},
                           Step{OperationStep::MacroBlock, 2}, Step{OperationStep::ReportRate, 3},
                           Step{OperationStep::ResponseTime, 4}, Step{OperationStep::GameMode, 5}));
    // Lighting, two key blocks, one macro block, report rate, response time, game mode.
    EXPECT_THAT(setsBefore, ElementsAre(0, 1, 3, 4, 5, 6));
}

TEST_F(Operations, FactoryResetTellsItsElevenSteps) {
    DeviceSettings reread;
    std::vector<Step> steps;
    ASSERT_EQ(restoreFactorySettings(link, reread,
                                     [&](const OperationProgress& p) {
                                         EXPECT_EQ(p.total, 11);
                                         steps.emplace_back(p.step, p.done);
                                     }),
              OperationResult::Done);
    ASSERT_EQ(steps.size(), 11U);
    EXPECT_EQ(steps.front(), (Step{OperationStep::FactoryReset, 0}));
    EXPECT_EQ(steps[1], (Step{OperationStep::KeyTable, 1}));
    EXPECT_EQ(steps[2], (Step{OperationStep::MacroBlock, 2}));
    EXPECT_EQ(steps[7], (Step{OperationStep::MacroBlock, 7}));
    EXPECT_EQ(steps[8], (Step{OperationStep::LightMasks, 8}));
    EXPECT_EQ(steps[9], (Step{OperationStep::Lighting, 9}));
    EXPECT_EQ(steps.back(), (Step{OperationStep::GameMode, 10}));
}

}  // namespace
}  // namespace tq260

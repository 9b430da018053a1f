#include "platform/device_claim.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::TemporaryFolder;
using testing::writeRawFile;

// What another process finds when it tries to claim the node: its outcome, as its exit code.
int outcomeInAnotherProcess(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        std::unique_ptr<DeviceClaim> claim;
        _exit(static_cast<int>(DeviceClaim::take(path, claim)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DeviceClaim, OneProcessAtATimeHoldsTheNode) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    std::unique_ptr<DeviceClaim> command;
    ASSERT_EQ(DeviceClaim::take(node, command), DeviceClaim::Outcome::Claimed);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::HeldElsewhere));
    // The holder itself is never refused.
    std::unique_ptr<DeviceClaim> again;
    EXPECT_EQ(DeviceClaim::take(node, again), DeviceClaim::Outcome::Claimed);
    again.reset();
    command.reset();
    // Released: the other process gets it.
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::Claimed));
}

TEST(DeviceClaim, ANodeThatCannotBeOpenedIsLeftToTheOpen) {
    TemporaryFolder folder;
    std::unique_ptr<DeviceClaim> claim;
    EXPECT_EQ(DeviceClaim::take((folder / "gone").string(), claim),
              DeviceClaim::Outcome::NotClaimable);
    EXPECT_EQ(claim, nullptr);
}

}  // namespace
}  // namespace tq260

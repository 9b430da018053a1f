#include "platform/device_claim.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/shared_device_claims.h"
#include "support/other_process_lock.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

using testing::anotherProcessLocks;
using testing::OtherProcess;
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

std::ptrdiff_t openDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
}

TEST(DeviceClaim, OneClaimAtATimeHoldsTheNode) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    EXPECT_FALSE(DeviceClaim::heldElsewhere(node));
    std::unique_ptr<DeviceClaim> command;
    ASSERT_EQ(DeviceClaim::take(node, command), DeviceClaim::Outcome::Claimed);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::HeldElsewhere));
    // A second claim of this process is refused too: its holders share the one they have.
    // Neither it nor a probe leaves a descriptor open (the program tries again and again).
    const auto descriptors = openDescriptors();
    EXPECT_TRUE(DeviceClaim::heldElsewhere(node));
    std::unique_ptr<DeviceClaim> again;
    EXPECT_EQ(DeviceClaim::take(node, again), DeviceClaim::Outcome::HeldElsewhere);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(openDescriptors(), descriptors);
    command.reset();
    // Released: the other process gets it.
    EXPECT_FALSE(DeviceClaim::heldElsewhere(node));
    EXPECT_EQ(outcomeInAnotherProcess(node), static_cast<int>(DeviceClaim::Outcome::Claimed));
}

// Whatever else the process does with the file, the claim holds until it goes, against this
// program's lock and an older tool's record lock alike.
TEST(DeviceClaim, ClosingAnotherDescriptorOfTheFileNeverLetsGo) {
    using Take = DeviceClaim::Outcome (*)(const std::string&, std::unique_ptr<DeviceClaim>&);
    const struct {
        const char* name;
        Take take;
    } ways[] = {{"a device node", &DeviceClaim::take}, {"a lock file", &DeviceClaim::takeLockFile}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        TemporaryFolder folder;
        const std::string file = (folder / "VirtualKeyboard.lock").string();
        writeRawFile(file, {});
        std::unique_ptr<DeviceClaim> claim;
        ASSERT_EQ(way.take(file, claim), DeviceClaim::Outcome::Claimed);
        // A chooser reading the file to tell its type, a probe.
        { std::ifstream(file).get(); }
        close(open(file.c_str(), O_RDWR));
        EXPECT_TRUE(DeviceClaim::heldElsewhere(file));
        for (const int command : {F_OFD_SETLK, F_SETLK}) {
            EXPECT_EQ(anotherProcessLocks(file, command), OtherProcess::Refused) << command;
        }
        claim.reset();
        EXPECT_EQ(anotherProcessLocks(file, F_SETLK), OtherProcess::Locked);
    }
}

TEST(DeviceClaim, ANodeThatCannotBeOpenedIsLeftToTheOpen) {
    TemporaryFolder folder;
    std::unique_ptr<DeviceClaim> claim;
    EXPECT_EQ(DeviceClaim::take((folder / "gone").string(), claim),
              DeviceClaim::Outcome::NotClaimable);
    EXPECT_EQ(claim, nullptr);
    EXPECT_FALSE(DeviceClaim::heldElsewhere((folder / "gone").string()));
}

// The command and event channels on one node, or a new channel opened before the old one is
// closed: one claim, held until its last share goes, even after the transport.
TEST(SharedDeviceClaims, ANodeStaysHeldUntilItsLastShareGoes) {
    TemporaryFolder folder;
    const std::string node = (folder / "hidraw3").string();
    writeRawFile(node, {});
    auto claims = std::make_unique<SharedDeviceClaims>();
    std::unique_ptr<SharedDeviceClaims::Share> command;
    std::unique_ptr<SharedDeviceClaims::Share> event;
    ASSERT_EQ(claims->take(node, command), DeviceClaim::Outcome::Claimed);
    ASSERT_EQ(claims->take(node, event), DeviceClaim::Outcome::Claimed);
    // Another transport is another holder.
    SharedDeviceClaims other;
    std::unique_ptr<SharedDeviceClaims::Share> refused;
    EXPECT_EQ(other.take(node, refused), DeviceClaim::Outcome::HeldElsewhere);
    EXPECT_EQ(refused, nullptr);

    command.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    claims.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    event.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Locked);
    // Taken again from scratch once all shares went; its last share lets go of it while
    // the transport lives on.
    EXPECT_EQ(other.take(node, refused), DeviceClaim::Outcome::Claimed);
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Refused);
    refused.reset();
    EXPECT_EQ(anotherProcessLocks(node), OtherProcess::Locked);
}

}  // namespace
}  // namespace tq260

#pragma once

#include <memory>
#include <string>

namespace tq260 {

// One program at a time on the keyboard: whoever opens one of its channels
// claims the device node with an advisory lock, so the configuration program
// and the command-line tool never interleave their transactions. The lock
// belongs to the claim's own open file, not to the process: closing another
// descriptor of the same file (a file chooser looking into the folder, a probe)
// never lets it go, and it goes with the claim or with the process, so a crash
// never leaves it behind. It refuses every other claim, a second one by the
// same process included: a holder that needs the node twice shares its one
// claim.
class DeviceClaim {
  public:
    enum class Outcome {
        Claimed,            // this claim holds the node now
        HeldElsewhere,      // another claim holds it: another process's, or one this one
                            // took
        HeldByAnotherUser,  // a lock file another user holds, or owns: never taken or used
        NotClaimable,       // no such file, or no lock on it: the open decides
    };

    ~DeviceClaim();
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

    // Claims the node; on Claimed, claim holds it until destroyed.
    static Outcome take(const std::string& path, std::unique_ptr<DeviceClaim>& claim);
    // The same on a lock file of its own, made when missing: for a keyboard
    // without a device node (the virtual one, whose memory file is replaced at
    // each save).
    // It is made private to this user (0600). One open to others (as an earlier version made
    // it), or one another user holds through a descriptor opened while it was, is replaced
    // by a new private file: the old one's holders hold a file nobody uses. Anything of
    // another user's at the name is HeldByAnotherUser: otherUser, when given, is then told
    // that user's name, or empty when the system does not say who it is. NotClaimable: no
    // lock file could be made or locked there; no claim, so the keyboard must not be used.
    static Outcome takeLockFile(const std::string& path, std::unique_ptr<DeviceClaim>& claim);
    static Outcome takeLockFile(const std::string& path, std::unique_ptr<DeviceClaim>& claim,
                                std::string* otherUser);
    // Whether a claim on the node would be refused now; takes none.
    static bool heldElsewhere(const std::string& path);

  private:
#ifdef _WIN32
    explicit DeviceClaim(void* file) : file_(file) {}
    void* file_ = nullptr;
#else
    explicit DeviceClaim(int fd) : fd_(fd) {}
    int fd_ = -1;
#endif
};

}  // namespace tq260

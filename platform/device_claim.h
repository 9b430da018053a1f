#pragma once

#include <memory>
#include <string>

namespace tq260 {

// One program at a time on the keyboard: whoever opens one of its channels claims the
// device node with an advisory lock, so the configuration program and the command-line tool
// never interleave their transactions. The lock belongs to the process (a second claim by
// the same process succeeds) and goes with it, so a crash never leaves it behind. As every
// POSIX record lock, it also goes when the process closes any other descriptor of the same
// node, which only ever lets another program in, never shuts this one out.
class DeviceClaim {
  public:
    enum class Outcome {
        Claimed,        // this process holds the node now
        HeldElsewhere,  // another process holds it
        NotClaimable,   // no such file, or no lock on it: the open decides
    };

    ~DeviceClaim();
    DeviceClaim(const DeviceClaim&) = delete;
    DeviceClaim& operator=(const DeviceClaim&) = delete;

    // Claims the node; on Claimed, claim holds it until destroyed.
    static Outcome take(const std::string& path, std::unique_ptr<DeviceClaim>& claim);
    // The same on a lock file of its own, made when missing: for a keyboard without a device
    // node (the virtual one, whose memory file is replaced at each save).
    static Outcome takeLockFile(const std::string& path, std::unique_ptr<DeviceClaim>& claim);

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

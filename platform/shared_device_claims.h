#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/device_claim.h"

namespace tq260 {

// The nodes one transport holds, each claimed once and shared by every channel open on it:
// a node's lock refuses a second claim even from this process, yet the command and event
// channels may be the same node, and a reconnect opens the new channel before the old one
// is closed.
class SharedDeviceClaims {
  public:
    class Share;

    // A share of the node's claim, taken when nobody in this transport holds it yet. On
    // Claimed, share holds the node until it and every other share of it are gone.
    DeviceClaim::Outcome take(const std::string& path, std::unique_ptr<Share>& share);

  private:
    struct Held {
        std::unique_ptr<DeviceClaim> claim;
        int shares = 0;
    };
    // Shared with the shares, which may outlive the transport.
    struct Table {
        std::mutex mutex;
        std::map<std::string, Held> nodes;
    };
    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

class SharedDeviceClaims::Share {
  public:
    Share(std::shared_ptr<Table> table, std::string path)
        : table_(std::move(table)), path_(std::move(path)) {}
    ~Share();
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

  private:
    std::shared_ptr<Table> table_;
    std::string path_;
};

}  // namespace tq260

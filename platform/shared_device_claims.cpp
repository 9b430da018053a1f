#include "platform/shared_device_claims.h"

namespace tq260 {

DeviceClaim::Outcome SharedDeviceClaims::take(const std::string& path,
                                              std::unique_ptr<Share>& share) {
    // Held while the claim is taken, so a share being dropped on another thread has let go
    // of the node, or not yet, but is never half way.
    std::lock_guard lock(table_->mutex);
    Held& held = table_->nodes[path];
    if (held.claim == nullptr) {
        const DeviceClaim::Outcome outcome = DeviceClaim::take(path, held.claim);
        if (outcome != DeviceClaim::Outcome::Claimed) {
            table_->nodes.erase(path);
            return outcome;
        }
    }
    ++held.shares;
    share = std::make_unique<Share>(table_, path);
    return DeviceClaim::Outcome::Claimed;
}

SharedDeviceClaims::Share::~Share() {
    std::lock_guard lock(table_->mutex);
    const auto node = table_->nodes.find(path_);
    // The last share closes the claim's file, which releases the node.
    if (node != table_->nodes.end() && --node->second.shares == 0) table_->nodes.erase(node);
}

}  // namespace tq260

#include "keys/key_assignment.h"

namespace tq260 {

void setAssignmentIdentities(AssignmentTable& table) {
    const auto& layout = KeyLayout;
    for (std::size_t key = 0; key < layout.size(); ++key)
        table[key].identity = layout[key].virtualKey;
}

}  // namespace tq260

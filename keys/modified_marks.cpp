#include "keys/modified_marks.h"

#include "keys/factory_key_map.h"
#include "keys/key_layout.h"

namespace tq260 {

namespace {

// The key right of RAlt has no factory code of its own and is never shown as changed.
constexpr std::size_t kKeyWithoutFactoryCode = 100;

template <typename Changed>
void recompute(const DeviceSettings& settings, ModifiedMarks& marks, Changed changed) {
    const auto& layout = KeyLayout;
    const auto& factory = FactoryKeyMap;
    for (std::size_t key = 0; key < layout.size(); ++key) {
        const std::uint8_t slot = layout[key].slot;
        marks[key] = changed(key, settings.keyTable[slot], factory[slot]) ? 1 : 0;
    }
    marks[kKeyWithoutFactoryCode] = 0;
}

}  // namespace

void recomputeMarksAfterRevert(const DeviceSettings& settings, const AssignmentTable& table,
                               ModifiedMarks& marks) {
    recompute(settings, marks,
              [&](std::size_t key, const KeyEntry& entry, const KeyEntry& factory) {
                  const KeyAssignment& record = table[key];
                  return entry.code != factory.code || record.type != 0 ||
                         (record.count == 1 && record.data[0] != record.identity);
              });
}

void recomputeMarksAfterRead(const DeviceSettings& settings, const AssignmentTable& table,
                             ModifiedMarks& marks) {
    recompute(settings, marks,
              [&](std::size_t key, const KeyEntry& entry, const KeyEntry& factory) {
                  if (entry.kind == key_kind::kHostReference) {
                      // A reference past the 64 host slots points at nothing the factory has.
                      return entry.code >= kHostKeySlotCount ||
                             settings.hostKeyData[entry.code].code != factory.code;
                  }
                  return entry.code != factory.code || table[key].type != 0;
              });
}

}  // namespace tq260

#include "keys/apply_assignment.h"

#include <algorithm>

#include "keys/factory_key_map.h"
#include "keys/keymap_file.h"
#include "keys/named_function_table.h"
#include "macro/macro_blocks.h"

namespace tq260 {

namespace {

constexpr std::uint8_t kConsumerMediaPlayer = 0x83;

bool isConsumerUsage(std::uint8_t usage) {
    return usage == 0xCD || usage == 0xE9 || usage == 0xEA;
}

std::u16string_view terminated(const std::array<char16_t, 256>& text) {
    const auto end = std::find(text.begin(), text.end(), u'\0');
    return {text.data(), static_cast<std::size_t>(end - text.begin())};
}

void setLeadingData(KeyAssignment& record, const KeyEntry& e) {
    record.data[0] = e.kind;
    record.data[1] = e.param;
    record.data[2] = e.code;
    record.data[3] = e.extra;
}

void clearKeys(KeyAssignment& record) {
    record.type = 0;
    record.count = 0;
    record.data.fill(0);
}

void applySingleKey(const AssignmentRequest& request, std::uint8_t ownKey, KeyAssignment& record,
                    KeyEntry& entry, std::uint8_t& mark, const KeyNameTable& names) {
    record.type = static_cast<std::uint8_t>(AssignmentType::SingleKey);
    record.data = request.keyList;
    record.count = static_cast<std::uint8_t>(request.count);
    if (request.count != 1) return;
    entry = {};
    const std::uint8_t chosen = request.keyList[0];
    if (chosen == ownKey) {
        record.count = 0;
        record.data.fill(0);
    } else {
        mark = 1;
    }
    const std::uint8_t usage = names.usage(chosen);
    entry.code = usage;
    entry.extra = 0;
    // The media keys become consumer entries.
    if (usage == kConsumerMediaPlayer) {
        entry.kind = key_kind::kConsumer;
        entry.extra = 1;
    }
    if (isConsumerUsage(usage)) entry.kind = key_kind::kConsumer;
}

void applyCombination(const AssignmentRequest& request, KeyAssignment& record, KeyEntry& entry,
                      std::uint8_t& mark, const KeyNameTable& names) {
    record.type = static_cast<std::uint8_t>(AssignmentType::Combination);
    record.data = request.keyList;
    record.count = static_cast<std::uint8_t>(request.count);
    const auto usageAt = [&](std::size_t i) {
        return i < request.count ? names.usage(request.keyList[i]) : std::uint8_t{0};
    };
    entry = {0, usageAt(0), usageAt(1), usageAt(2)};
    if (request.count > 1) mark = 1;
}

void applyLaunch(const AssignmentRequest& request, std::uint8_t ownKey, KeyAssignment& record,
                 KeyEntry& entry, std::uint8_t& mark) {
    mark = 1;
    record.type = static_cast<std::uint8_t>(request.type);
    // The identity is the key's own code even where the record had none yet.
    record.identity = ownKey;
    entry = {key_kind::kLaunch, 0, record.identity, 0};
    setLeadingData(record, {3, 0, 0x23, 2});
    // Copied up to its terminator, and always terminated.
    record.launchPath.fill(0);
    const std::u16string_view path = terminated(request.launchPath);
    std::copy_n(path.begin(), std::min(path.size(), kLaunchPathCapacity - 1),
                record.launchPath.begin());
}

}  // namespace

void ApplyAssignment(const AssignmentRequest& request, AssignmentWorkspace& w) {
    const std::size_t key = w.assignments.selectedKey;
    if (key >= kKeyCount) return;
    const KeyLayoutEntry& layout = KeyLayout[key];
    KeyAssignment& record = (*w.assignments.table)[key];
    KeyEntry& entry = w.settings.keyTable[layout.slot];
    std::uint8_t& mark = w.assignments.marks[key];
    mark = 0;

    if (request.count == AssignmentRequest::kRestoreDefault) {
        clearKeys(record);
        entry = {0, 0, w.keyNames.usage(record.identity), 0};
    } else {
        switch (request.type) {
            case AssignmentType::SingleKey:
                applySingleKey(request, layout.virtualKey, record, entry, mark, w.keyNames);
                break;
            case AssignmentType::Combination:
                applyCombination(request, record, entry, mark, w.keyNames);
                break;
            case AssignmentType::Macro: {
                record.type = static_cast<std::uint8_t>(AssignmentType::Macro);
                const auto slot = static_cast<std::uint8_t>(request.macroIndex & 0xFF);
                setLeadingData(record, {4, 1, slot, 0});
                if (request.macroIndex != -1) {
                    entry = {key_kind::kMacro, 1, slot, 0};
                    mark = 1;
                    buildMacroBlocks(w.savedMacros, w.settings);
                }
                break;
            }
            case AssignmentType::NamedFunction:
                record.type = static_cast<std::uint8_t>(AssignmentType::NamedFunction);
                mark = 1;
                if (const auto found =
                        findNamedFunction(terminated(request.functionName), w.language)) {
                    entry = *found;
                    setLeadingData(record, *found);
                }
                break;
            case AssignmentType::LaunchMp3:
            case AssignmentType::LaunchExe:
            case AssignmentType::LaunchTxt:
            case AssignmentType::OpenFolder:
                applyLaunch(request, layout.virtualKey, record, entry, mark);
                break;
            case AssignmentType::Disable:
                clearKeys(record);
                entry = {};
                // A disabled key is drawn as changed, as it is once read back from the
                // keyboard; only a key without a factory code stays as it was.
                mark = FactoryKeyMap[layout.slot].code != 0 ? 1 : 0;
                break;
            default:
                break;
        }
    }
    // No file: the caller keeps keymap.bin from being written (it could not be read).
    if (!w.keymapFile.empty()) saveKeymapFile(w.keymapFile, w.settings, *w.assignments.table);
}

void followMacroMoves(const std::array<int, kKeyboardMacroSlots>& moves, AssignmentWorkspace& w) {
    const SelectedKey selected = w.assignments.selectedKey;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        const KeyAssignment& record = (*w.assignments.table)[key];
        if (record.type != static_cast<std::uint8_t>(AssignmentType::Macro) ||
            record.data[0] != 4 || record.data[2] >= moves.size()) {
            continue;
        }
        const int to = moves[record.data[2]];
        if (to == record.data[2]) continue;
        AssignmentRequest request;
        if (to < 0) {
            request.count = AssignmentRequest::kRestoreDefault;
        } else {
            request.type = AssignmentType::Macro;
            request.macroIndex = to;
        }
        w.assignments.selectedKey = key;
        ApplyAssignment(request, w);
    }
    w.assignments.selectedKey = selected;
}

}  // namespace tq260

#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "keys/key_layout.h"

namespace tq260 {

static_assert(std::endian::native == std::endian::little);

enum class AssignmentType : std::uint8_t {
    SingleKey = 0,
    Combination = 1,
    Macro = 2,
    NamedFunction = 3,
    LaunchMp3 = 4,
    LaunchExe = 5,
    LaunchTxt = 6,
    OpenFolder = 7,
    Disable = 8,          // requests only; a disabled key's record has type 0 and count 0
    NothingChosen = 0xFF  // the launch page cleared the record; never applied
};

inline constexpr std::size_t kAssignmentDataSize = 255;
inline constexpr std::size_t kLaunchPathCapacity = 256;  // code units, terminator included
inline constexpr std::size_t kAssignmentCount = 255;

// How a key's assignment was made, so the dialogs can show it again.
struct KeyAssignment {
    std::uint8_t identity = 0;  // the key's virtual-key code; 0 for records of no key
    std::uint8_t type = 0;      // an AssignmentType
    std::array<std::uint8_t, kAssignmentDataSize> data{};
    std::uint8_t count = 0;  // keys in data, types 0 and 1
    std::array<std::uint8_t, 2> reserved{};
    std::array<char16_t, kLaunchPathCapacity> launchPath{};

    friend bool operator==(const KeyAssignment&, const KeyAssignment&) = default;
};

static_assert(std::is_standard_layout_v<KeyAssignment>);
static_assert(std::is_trivially_copyable_v<KeyAssignment>);
static_assert(sizeof(KeyAssignment) == 772);
static_assert(offsetof(KeyAssignment, type) == 1);
static_assert(offsetof(KeyAssignment, data) == 2);
static_assert(offsetof(KeyAssignment, count) == 257);
static_assert(offsetof(KeyAssignment, reserved) == 258);
static_assert(offsetof(KeyAssignment, launchPath) == 260);

// Index = key index; records 0..107 belong to the picture's keys.
using AssignmentTable = std::array<KeyAssignment, kAssignmentCount>;
static_assert(sizeof(AssignmentTable) == 196'860);

// The assignment records as last exchanged with the keyboard; Cancel restores them.
using AssignmentShadow = AssignmentTable;

// Key index 0..107 of the key whose dialog is open.
using SelectedKey = std::size_t;

// 1 while a key is drawn as changed.
using ModifiedMarks = std::array<std::uint8_t, 256>;

// What a key dialog asks for; ApplyAssignment turns it into the key's record and entry.
struct AssignmentRequest {
    static constexpr std::uint32_t kRestoreDefault = 255;

    AssignmentType type = AssignmentType::SingleKey;
    std::uint32_t count = 0;                   // keys in keyList, or kRestoreDefault
    std::array<std::uint8_t, 255> keyList{};   // virtual-key codes
    std::array<char16_t, 256> functionName{};  // in the interface's language
    std::array<char16_t, kLaunchPathCapacity> launchPath{};
    std::int32_t macroIndex = -1;  // -1: none chosen
};

// The assignment records, their state last exchanged with the keyboard, the changed-key
// marks and the key whose dialog is open.
struct Assignments {
    std::unique_ptr<AssignmentTable> table = std::make_unique<AssignmentTable>();
    std::unique_ptr<AssignmentShadow> shadow = std::make_unique<AssignmentShadow>();
    ModifiedMarks marks{};
    SelectedKey selectedKey = 0;
};

// Sets the identity of records 0..107 from the key layout.
void setAssignmentIdentities(AssignmentTable& table);

}  // namespace tq260

#include "dialogs/key_dialog_layout.h"

namespace tq260 {

namespace {

using Role = KeyDialogRole;

const ButtonNameSlot kNone = nameSlot(u"");

// The first dialog: the six navigation keys, the only one whose tabs offer macros.
constexpr ButtonRect kKeyMapRects[] = {
    {303, 2, 318, 17},     // close
    {0, 31, 107, 57},      // tab: key page
    {108, 31, 215, 57},    // tab: macro page
    {224, 31, 331, 57},    // tab: function page
    {0, 30, 325, 36},      // the strip under the tabs
    {19, 251, 29, 260},    // disable toggle
    {156, 246, 197, 268},  // Default
    {210, 246, 251, 268},  // Cancel
    {264, 246, 305, 268},  // Save
};

constexpr Role kKeyMapRoles[] = {Role::Close,       Role::KeyTab, Role::MacroTab,
                                 Role::FunctionTab, Role::Strip,  Role::DisableToggle,
                                 Role::Default,     Role::Cancel, Role::Save};

// The second dialog: every other key. The macro and launch tabs have no rectangle.
constexpr ButtonRect kDlg2Rects[] = {
    {303, 2, 318, 17},     // close
    {0, 31, 162, 57},      // tab: key page
    {0, 0, 0, 0},          // tab: macro page, not shown
    {163, 31, 325, 57},    // tab: function page
    {0, 0, 0, 0},          // tab: launch page, not shown
    {0, 30, 324, 36},      // the strip under the tabs
    {19, 251, 29, 260},    // disable toggle
    {156, 246, 197, 268},  // Default
    {210, 246, 251, 268},  // Cancel
    {264, 246, 305, 268},  // Save
};

constexpr Role kDlg2Roles[] = {
    Role::Close, Role::KeyTab,        Role::MacroTab, Role::FunctionTab, Role::LaunchTab,
    Role::Strip, Role::DisableToggle, Role::Default,  Role::Cancel,      Role::Save};

static_assert(std::size(kKeyMapRects) == std::size(kKeyMapRoles));
static_assert(std::size(kDlg2Rects) == std::size(kDlg2Roles));

// Three name slots per button: normal, over, leave.
const ButtonNameSlot kClose[] = {nameSlot(u"button-close-normal.png"),
                                 nameSlot(u"button-close-over.png"), kNone};
const ButtonNameSlot kTab[] = {nameSlot(u"large_button.png"), nameSlot(u"large_button.png"),
                               nameSlot(u"large_button.png")};
const ButtonNameSlot kStrip[] = {nameSlot(u"单键-组合键-功能选项.png"),
                                 nameSlot(u"单键-组合键-功能选项.png"),
                                 nameSlot(u"单键-组合键-功能选项.png")};
const ButtonNameSlot kToggle[] = {nameSlot(u"Disable.png"), nameSlot(u"Enable.png"),
                                  nameSlot(u"Disable.png")};
const ButtonNameSlot kCancelLook[] = {nameSlot(u"button-cancel-normal.png"),
                                      nameSlot(u"button-cancel-over.png"),
                                      nameSlot(u"button-cancel-normal.png")};
const ButtonNameSlot kSaveLook[] = {nameSlot(u"button-save-normal.png"),
                                    nameSlot(u"button-save-over.png"),
                                    nameSlot(u"button-save-normal.png")};

template <std::size_t N>
std::array<ButtonNameSlot, 3 * N> nameTable(const ButtonNameSlot* const (&rows)[N]) {
    std::array<ButtonNameSlot, 3 * N> table{};
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = 0; j < 3; ++j) table[3 * i + j] = rows[i][j];
    }
    return table;
}

const auto kKeyMapNames =
    nameTable<9>({kClose, kTab, kTab, kTab, kStrip, kToggle, kCancelLook, kCancelLook, kSaveLook});
const auto kDlg2Names = nameTable<10>(
    {kClose, kTab, kTab, kTab, kTab, kStrip, kToggle, kCancelLook, kCancelLook, kSaveLook});

constexpr DialogText kSingle{u"Single", u"单键"};
constexpr DialogText kMacro{u"Macro", u"宏"};
constexpr DialogText kBasic{u"Basic", u"基本功能"};
constexpr DialogText kNoText{u"", u""};

const KeyDialogVariant kKeyMap{
    "CKeyMap",
    u"MainBK.png",
    kKeyMapRects,
    kKeyMapNames,
    kKeyMapRoles,
    6,
    {{{kSingle, {40, 39}, {45, 39}},
      {kMacro, {155, 39}, {160, 39}},
      {kBasic, {255, 39}, {250, 39}}}},
    std::nullopt,
    true,
    {u"Media", u"Shortcut", u"Windows"},
    {u"modification path", u"modification path"},
    {u"Please select a folder\n", u"请选择文件夹\n"},
};

const KeyDialogVariant kKeymapDlg2{
    "CKeymapDlg2",
    u"自定义底.png",
    kDlg2Rects,
    kDlg2Names,
    kDlg2Roles,
    6,
    {{{kSingle, {45, 39}, {45, 39}}, {kNoText, {}, {}}, {kBasic, {218, 39}, {218, 39}}}},
    DialogLabel{kSingle, {20, 69}, {20, 69}},
    false,
    {u"多媒体", u"快捷键", u"Windows"},
    {u"修改接收路径", u"修改接收路径"},
    {u"请选择文件夹\n", u"请选择文件夹\n"},
};

// The launch grid, row by row: choice mark, label, path, browse button.
constexpr ButtonRect kLaunchCells[kLaunchRows * kLaunchColumns] = {
    {15, 72, 25, 81},   {30, 69, 72, 84},   {83, 68, 243, 83},   {256, 68, 302, 83},
    {15, 102, 25, 111}, {30, 99, 72, 114},  {83, 98, 243, 113},  {256, 98, 302, 113},
    {15, 132, 25, 141}, {30, 129, 72, 144}, {83, 128, 243, 143}, {256, 128, 302, 143},
    {15, 162, 25, 171}, {30, 159, 72, 174}, {83, 158, 243, 173}, {256, 158, 302, 173},
};

}  // namespace

const KeyDialogVariant& keyMapVariant() {
    return kKeyMap;
}

const KeyDialogVariant& keymapDlg2Variant() {
    return kKeymapDlg2;
}

QRect launchCell(int cell) {
    if (cell < 0 || cell >= kLaunchRows * kLaunchColumns) return {};
    const ButtonRect& r = kLaunchCells[cell];
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

int launchCellAt(QPoint point) {
    for (int cell = 0; cell < kLaunchRows * kLaunchColumns; ++cell) {
        if (launchCell(cell).contains(point)) return cell;
    }
    return -1;
}

}  // namespace tq260

#include "dialogs/macro_manager_layout.h"

namespace tq260 {

namespace {

constexpr std::array<ButtonRect, kMacroHotAreas> kRects{{
    {290, 100, 379, 124},  // Record
    {368, 168, 382, 182},  // Record Delay tick
    {296, 315, 310, 329},  // Number of Loops tick
    {20, 368, 77, 392},    // New
    {80, 368, 137, 392},   // Delete
    {280, 400, 337, 424},  // OK
    {340, 400, 397, 424},  // Cancel
}};

const std::array<MacroManagerLabel, 8> kLabels{{
    {{{u"Macro Manager", u"宏管理器"}, {16, 9}, {16, 9}}, 18},
    {{{u"Select Macro", u"选择宏"}, {39, 60}, {39, 60}}, 15},
    {{{u"Keystroke Sequence", u"按键系列"}, {151, 60}, {151, 60}}, 15},
    {{{u"Options", u"录制选项"}, {311, 60}, {311, 60}}, 15},
    // The Chinese first line stops short of the tick box beside it.
    {{{u"Record Delay", u"记录按键"}, {290, 153}, {290, 168}}, 15},
    {{{u"between", u"动作间的延迟"}, {290, 168}, {290, 184}}, 15},
    {{{u"keystrokes", u""}, {290, 183}, {290, 183}}, 15},
    {{{u"Number of Loops", u"循环次数"}, {295, 300}, {295, 300}}, 15},
}};

const std::array<DialogLabel, 4> kButtonLabels{{
    {{u"New", u"新建"}, {35, 372}, {35, 372}},
    {{u"Delete", u"删除"}, {92, 372}, {95, 372}},
    {{u"OK", u"确定"}, {300, 404}, {300, 404}},
    {{u"Cancel", u"取消"}, {352, 404}, {352, 404}},
}};

constexpr std::array<MacroMenuItem, 4> kMenu{{
    {kInsertBeforeCommand, {u"Insert Before", u"在之前开始录入"}},
    {kInsertAfterCommand, {u"Insert After", u"在之后开始录入"}},
    {kInsertDelayCommand, {u"Insert Delay", u"插入延迟"}},
    {kDeleteLineCommand, {u"Delete", u"删除"}},
}};

std::array<ButtonNameSlot, 3 * kMacroHotAreas> makeNames() {
    std::array<ButtonNameSlot, 3 * kMacroHotAreas> names{};
    const auto set = [&](int area, std::u16string_view normal, std::u16string_view over) {
        names[static_cast<std::size_t>(3 * area)] = nameSlot(normal);
        names[static_cast<std::size_t>(3 * area + 1)] = nameSlot(over);
    };
    set(0, u"Record-normal.png", u"Record-over.png");
    for (int tick = 1; tick <= 2; ++tick) set(tick, u"Pane.png", u"PaneMakingTick.png");
    for (int button = 3; button <= 6; ++button) {
        set(button, u"button-new-normal.png", u"button-new-over.png");
    }
    return names;
}

}  // namespace

std::span<const ButtonRect> macroHotAreaRects() {
    return kRects;
}

std::span<const ButtonNameSlot> macroHotAreaNames() {
    static const auto names = makeNames();
    return names;
}

std::span<const MacroManagerLabel> macroManagerLabels() {
    return kLabels;
}

std::span<const DialogLabel> macroButtonLabels() {
    return kButtonLabels;
}

std::span<const MacroMenuItem> macroMenuItems() {
    return kMenu;
}

}  // namespace tq260

#pragma once

#include <QRect>
#include <array>
#include <span>

#include "controls/button_image_set.h"
#include "dialogs/dialog_text.h"

namespace tq260 {

// The macro manager's seven hot areas, in hit-test order.
enum class MacroHotArea { Record, RecordDelayTick, LoopsTick, New, Delete, Ok, Cancel };
inline constexpr int kMacroHotAreas = 7;

// Rectangles (left, top, right, bottom, edges included) and three name slots per area.
std::span<const ButtonRect> macroHotAreaRects();
std::span<const ButtonNameSlot> macroHotAreaNames();

inline const QRect kManagerMacroListGeometry(20, 80, 113, 275);
inline const QRect kManagerEventListGeometry(150, 80, 113, 275);
inline const QRect kLoopsFieldGeometry(296, 331, 84, 18);

// The labels that never change, with their heights.
struct MacroManagerLabel {
    DialogLabel label;
    int height;
};
std::span<const MacroManagerLabel> macroManagerLabels();
// The Record button's label while recording and while not, and where it goes.
inline constexpr DialogText kStopRecording{u"Stop Recording", u"停止录制"};
inline constexpr DialogText kStartRecording{u"Start Recording", u"开始录制"};
inline const DialogLabel kRecordLabel{{}, QPoint(291, 103), QPoint(310, 103)};
// The labels on the buttons New, Delete, OK and Cancel, drawn over their images.
std::span<const DialogLabel> macroButtonLabels();

// What the keyboard can hold of the selected macro, under the lists.
inline const QPoint kCapacityLabel(20, 405);
inline constexpr int kCapacityHeight = 12;
inline constexpr DialogText kCapacityText{u"%1 of %2 bytes", u"已用 %1/%2 字节"};
inline constexpr DialogText kCapacityFull{u"%1 of %2 bytes: full", u"已用 %1/%2 字节：已满"};
inline constexpr DialogText kCapacityOver{u"%1 of %2 bytes: grey lines are not played",
                                          u"%1/%2 字节：灰色行不会播放"};

// While an insertion waits for its key.
inline constexpr DialogText kInsertionArmed{u"Press the key to insert", u"请按下要插入的键"};

inline constexpr DialogText kMacroManagerCaption{u"Macro Manager", u"宏管理器"};
inline constexpr DialogText kSelectToRecord{u"Please select a Macro file to record \n",
                                            u"请先选择要录制的宏\n"};
inline constexpr DialogText kTooManyMacros{u"宏定义不能超过6个", u"宏定义不能超过6个"};
inline constexpr DialogText kConfirmDelete{u"Confirm to delete?", u"确定要删除吗?"};
inline constexpr DialogText kSelectToDelete{u"Please select a Macro file to delete\n",
                                            u"请选择要删除的宏\n"};
inline constexpr DialogText kEditCurrentDelay{u"Please edit current delay\n",
                                              u"请直接编辑当前的延迟\n"};
inline constexpr DialogText kTooLongForKeyboard{
    u"The keyboard holds %1 bytes of events per macro. These macros are longer, so the "
    u"keyboard stops each one early:\n%2\nKeep them as they are?",
    u"键盘中每个宏最多保存 %1 "
    u"字节的按键动作。以下宏超出此长度，键盘只会播放其前面部分：\n%2\n仍然保存吗?"};

// The event list's context menu: command ids and their labels, in menu order.
struct MacroMenuItem {
    int command;
    DialogText text;
};
inline constexpr int kInsertBeforeCommand = 32790;
inline constexpr int kInsertAfterCommand = 32791;
inline constexpr int kInsertDelayCommand = 32793;
inline constexpr int kDeleteLineCommand = 32815;
std::span<const MacroMenuItem> macroMenuItems();

}  // namespace tq260

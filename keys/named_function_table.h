#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "device/key_entry.h"
#include "keys/language.h"

namespace tq260 {

// A media or shortcut function that can be assigned to a key by name.
struct NamedFunction {
    std::u16string_view english;
    std::u16string_view chinese;
    KeyEntry entry;
};

inline constexpr std::size_t kNamedFunctionCount = 23;
// The first rows are the media functions the key dialogs offer.
inline constexpr std::size_t kMediaFunctionCount = 8;

// 23 rows, English and Chinese name and the entry both produce.
inline constexpr std::array<NamedFunction, kNamedFunctionCount> NamedFunctionTable = {{
    {u"Media Player", u"多媒体播放器", {0x03, 0x00, 0x83, 0x01}},
    {u"Prev", u"上一曲", {0x03, 0x00, 0xB6, 0x00}},
    {u"Next", u"下一曲", {0x03, 0x00, 0xB5, 0x00}},
    {u"Play/Pause", u"暂停-播放", {0x03, 0x00, 0xCD, 0x00}},
    {u"Stop", u"停止", {0x03, 0x00, 0xB7, 0x00}},
    {u"Vol+", u"音量+", {0x03, 0x00, 0xE9, 0x00}},
    {u"Vol-", u"音量-", {0x03, 0x00, 0xEA, 0x00}},
    {u"Mute", u"静音", {0x03, 0x00, 0xE2, 0x00}},
    {u"Computer", u"我的电脑", {0x03, 0x00, 0x94, 0x01}},
    {u"Homepage", u"浏览器-主页", {0x03, 0x00, 0x23, 0x02}},
    {u"Search", u"搜索", {0x00, 0xE3, 0x09, 0x00}},
    {u"Run", u"运行", {0x00, 0xE3, 0x15, 0x00}},
    {u"New", u"新建", {0x00, 0xE0, 0x11, 0x00}},
    {u"Cut", u"剪切", {0x00, 0xE0, 0x1B, 0x00}},
    {u"Copy", u"复制", {0x00, 0xE0, 0x06, 0x00}},
    {u"Paste", u"粘贴", {0x00, 0xE0, 0x19, 0x00}},
    {u"Save", u"保存", {0x00, 0xE0, 0x16, 0x00}},
    {u"Print", u"打印", {0x00, 0xE0, 0x13, 0x00}},
    {u"Select All", u"全选", {0x00, 0xE0, 0x04, 0x00}},
    {u"Max", u"最大化", {0x00, 0xE2, 0x2C, 0x1B}},
    {u"Min", u"最小化", {0x00, 0xE2, 0x2C, 0x11}},
    {u"Task Management", u"任务管理器", {0x00, 0xE0, 0xE2, 0x4C}},
    {u"Close", u"关闭窗口", {0x00, 0xE2, 0x3D, 0x00}},
}};

// The name in the interface's language, matched exactly (case and whole text).
std::optional<KeyEntry> findNamedFunction(std::u16string_view name, Language language);

// The reverse: the name, in the interface's language, of the row whose entry equals all
// four bytes.
std::optional<std::u16string_view> namedFunctionName(const KeyEntry& entry, Language language);

}  // namespace tq260

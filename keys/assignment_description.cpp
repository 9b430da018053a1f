#include "keys/assignment_description.h"

#include <algorithm>

#include "keys/key_layout.h"
#include "keys/named_function_table.h"

namespace tq260 {

namespace {

std::u16string say(Language language, std::u16string_view english, std::u16string_view chinese) {
    return std::u16string(language == Language::Chinese ? chinese : english);
}

// The file or folder's own name, without the folders above it.
std::u16string lastPart(const KeyAssignment& record) {
    const auto end = std::find(record.launchPath.begin(), record.launchPath.end(), u'\0');
    std::u16string path(record.launchPath.begin(), end);
    while (!path.empty() && (path.back() == u'/' || path.back() == u'\\')) path.pop_back();
    const auto slash = path.find_last_of(u"/\\");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

// Key names carry a trailing space in their table, for the boxes that join them.
std::u16string keyName(const KeyNameTable& names, std::uint8_t key) {
    std::u16string name = names.name(key);
    while (!name.empty() && name.back() == u' ') name.pop_back();
    return name;
}

}  // namespace

std::u16string describeAssignment(std::size_t keyIndex, const KeyAssignment& record, bool disabled,
                                  const KeyNameTable& names, const MacroTable& macros,
                                  Language language) {
    if (disabled) return say(language, u"disabled", u"已禁用");
    const std::u16string sends = say(language, u"sends ", u"发送 ");
    switch (static_cast<AssignmentType>(record.type)) {
        case AssignmentType::SingleKey: {
            const std::uint8_t key = record.data[0] != 0
                                         ? record.data[0]
                                         : KeyLayout[std::min(keyIndex, kKeyCount - 1)].virtualKey;
            return sends + keyName(names, key);
        }
        case AssignmentType::Combination: {
            std::u16string keys;
            for (std::size_t i = 0; i < 3 && record.data[i] != 0; ++i) {
                if (!keys.empty()) keys += u"+ ";
                keys += keyName(names, record.data[i]);
            }
            return sends + keys;
        }
        case AssignmentType::Macro: {
            const std::size_t slot = record.data[2];
            const std::u16string name =
                slot < macros.size() ? std::u16string(macros[slot].nameText()) : std::u16string();
            return say(language, u"plays the macro ", u"播放宏 ") + name;
        }
        case AssignmentType::NamedFunction: {
            const KeyEntry entry{record.data[0], record.data[1], record.data[2], record.data[3]};
            if (const auto name = namedFunctionName(entry, language)) return std::u16string(*name);
            return say(language, u"a function", u"功能");
        }
        case AssignmentType::LaunchMp3:
        case AssignmentType::LaunchExe:
        case AssignmentType::LaunchTxt:
        case AssignmentType::OpenFolder:
            return say(language, u"opens ", u"打开 ") + lastPart(record);
        default:
            return say(language, u"does nothing", u"无功能");
    }
}

}  // namespace tq260

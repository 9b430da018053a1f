#include "app/main_window_buttons.h"

#include <array>

namespace tq260 {

namespace {

constexpr std::array<ButtonRect, 22> kRects = {{
    {936, 5, 952, 20},    {957, 5, 973, 20},    {978, 5, 994, 20},    {28, 158, 248, 173},
    {29, 197, 64, 212},   {79, 197, 114, 212},  {129, 197, 164, 212}, {179, 197, 214, 212},
    {28, 258, 245, 280},  {28, 326, 250, 344},  {34, 397, 44, 406},   {105, 397, 115, 406},
    {28, 455, 247, 470},  {35, 534, 247, 543},  {19, 605, 89, 633},   {800, 600, 857, 630},
    {861, 600, 918, 630}, {923, 600, 980, 630}, {19, 110, 260, 127},  {19, 363, 260, 380},
    {19, 427, 260, 444},  {19, 507, 260, 524},
}};

// Normal and over image of each entry; the leave image is the normal one.
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 22> kImages = {{
    {u"button-help-normal.png", u"button-help-over.png"},
    {u"button-min-normal.png", u"button-min-over.png"},
    {u"button-close-normal.png", u"button-close-over.png"},
    {u"灯光选项条.png", u"灯光模式选中.png"},
    {u"Direction-T-Disable.png", u"Direction-T-Enable.png"},
    {u"Direction-B-Disable.png", u"Direction-B-Enable.png"},
    {u"Direction-L-Disable.png", u"Direction-L-Enable.png"},
    {u"Direction-R-Disable.png", u"Direction-R-Enable.png"},
    {u"1.png", u"1.png"},
    {u"宏管理器按钮-3.png", u"宏管理器按钮-2.png"},
    {u"Disable.png", u"Enable.png"},
    {u"Disable.png", u"Enable.png"},
    {u"灯光选项条.png", u"灯光模式选中.png"},
    {u"125Hz.png", u"125Hz.png"},
    {u"Config.png", u"Config.png"},
    {u"button-cancel-normal.png", u"button-cancel-over.png"},
    {u"button-cancel-normal.png", u"button-cancel-over.png"},
    {u"button-save-normal.png", u"button-save-over.png"},
    {u"灯光底.png", u"灯光底.png"},
    {u"button-save-normal.png", u"button-save-over.png"},
    {u"button-save-normal.png", u"button-save-over.png"},
    {u"button-save-normal.png", u"button-save-over.png"},
}};

}  // namespace

std::vector<ButtonImageSet> mainWindowButtons() {
    std::vector<ButtonNameSlot> names;
    for (const auto& [normal, over] : kImages) {
        names.push_back(nameSlot(normal));
        names.push_back(nameSlot(over));
        names.push_back(nameSlot(normal));
    }
    return buildButtonImageSets(kRects, names);
}

}  // namespace tq260

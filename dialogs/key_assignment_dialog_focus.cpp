// The key dialogs' focus stops: close, the tabs, the page's control, the launch grid, Disable
// and the three buttons, in reading order. Space and Enter run what a click there runs.
#include "dialogs/key_assignment_dialog.h"
#include "keys/key_layout.h"

namespace tq260 {

std::vector<FocusStop> KeyAssignmentDialog::focusStopsNow() {
    std::vector<FocusStop> stops;
    const auto region = [&](KeyDialogRole role, const QString& id, const QString& name) {
        const ButtonImageSet* shown = shownButton(role);
        if (shown == nullptr) return false;
        FocusStop stop;
        stop.id = id;
        stop.rect = shownRect(*shown, images_.image(skinFolder() + shown->normal).size());
        stop.name = name;
        stop.activate = [this, point = shown->rect.center()] { dispatchClick(point); };
        stops.push_back(std::move(stop));
        return true;
    };
    const auto tab = [&](KeyDialogRole role, const QString& id, const QString& name, Page page) {
        if (!region(role, id, name)) return;
        stops.back().role = QAccessible::PageTab;
        stops.back().selected = state_.page == page;
    };
    const auto control = [&](QWidget* widget) { stops.push_back(controlStop(widget)); };

    region(KeyDialogRole::Close, QStringLiteral("close"), text(u"Close", u"关闭"));
    tab(KeyDialogRole::KeyTab, QStringLiteral("key-tab"), text(u"Single", u"单键"), KeyPage);
    if (!variant_.macroTabForNavigationKeysOnly || isNavigationKey(key_)) {
        tab(KeyDialogRole::MacroTab, QStringLiteral("macro-tab"), text(u"Macro", u"宏"), MacroPage);
    }
    tab(KeyDialogRole::FunctionTab, QStringLiteral("function-tab"), text(u"Basic", u"基本功能"),
        FunctionPage);
    switch (state_.page) {
        case KeyPage:
            control(keyBox_);
            break;
        case MacroPage:
            if (macroList_->isVisibleTo(this)) control(macroList_);
            break;
        case FunctionPage:
            control(tree_);
            break;
        case LaunchPage: {
            const QString kinds[kLaunchRows] = {
                text(u"MP3 file", u"MP3 文件"), text(u"Program", u"程序"),
                text(u"Text file", u"文本文件"), text(u"Folder", u"文件夹")};
            for (int row = 0; row < kLaunchRows; ++row) {
                const int first = row * kLaunchColumns;
                FocusStop choice;
                choice.id = QStringLiteral("launch-%1").arg(row);
                choice.rect = launchCell(first);
                choice.name = kinds[row];
                choice.role = QAccessible::RadioButton;
                choice.checked = state_.gridMark == first;
                choice.value =
                    state_.launchKind == row ? pathText(request_->launchPath) : QString();
                choice.activate = [this, point = launchCell(first).center()] {
                    dispatchClick(point);
                };
                stops.push_back(std::move(choice));
                FocusStop browse;
                browse.id = QStringLiteral("browse-%1").arg(row);
                browse.rect = launchCell(first + 3);
                browse.name = text(u"Browse: ", u"浏览：") + kinds[row];
                browse.activate = [this, point = launchCell(first + 3).center()] {
                    dispatchClick(point);
                };
                stops.push_back(std::move(browse));
            }
            break;
        }
    }
    if (region(KeyDialogRole::DisableToggle, QStringLiteral("disable"),
               text(u"Disable", u"禁用按键"))) {
        stops.back().role = QAccessible::CheckBox;
        stops.back().checked = state_.disableToggle;
    }
    region(KeyDialogRole::Default, QStringLiteral("default"), text(u"Default", u"初始值"));
    region(KeyDialogRole::Cancel, QStringLiteral("cancel"), text(u"Cancel", u"取消"));
    region(KeyDialogRole::Save, QStringLiteral("save"), text(u"Save", u"保存"));
    return stops;
}

}  // namespace tq260

// The main window's focus stops: every hot area, slider and the keyboard picture, in reading
// order, with the names a screen reader says. Space and Enter run exactly what a click on the
// area runs.
#include <QApplication>

#include "app/lighting_effects.h"
#include "app/main_window.h"
#include "app/main_window_buttons.h"
#include "controls/qt_text.h"
#include "keys/assignment_description.h"
#include "keys/key_layout.h"
#include "keys/key_light_bit.h"
#include "keys/key_picture.h"

namespace tq260 {

namespace {

constexpr int kMediaKeysFirst = 16;
constexpr int kMediaKeysLast = 19;
constexpr int kKeyOnlyWhileEditingLights = 100;

QRect keyWindowRect(std::size_t key) {
    const KeyRectangle& r = KeyRectangleTable[key];
    return QRect(QPoint(kKeyboardPictureX + r.left, kKeyboardPictureY + r.top),
                 QPoint(kKeyboardPictureX + r.right, kKeyboardPictureY + r.bottom));
}

// The keys the picture offers, in index order.
std::vector<int> pictureKeys(bool diyEditMode) {
    std::vector<int> keys;
    for (int key = 0; key < static_cast<int>(kKeyCount); ++key) {
        if (key >= kMediaKeysFirst && key <= kMediaKeysLast) continue;
        if (key == kKeyOnlyWhileEditingLights && !diyEditMode) continue;
        keys.push_back(key);
    }
    return keys;
}

// Ten rows of 20 pixels, as the open lists lie.
std::vector<FocusItem> listRows(int left, int right, int top, const QStringList& names,
                                int selected) {
    std::vector<FocusItem> rows;
    for (int row = 0; row < names.size(); ++row) {
        rows.push_back({QRect(QPoint(left, top + 20 * row), QPoint(right, top + 20 * row + 19)),
                        row, names[row], QAccessible::ListItem, row == selected});
    }
    return rows;
}

}  // namespace

void CGameKeyboardDlg::setUpFocusStops() {
    stops_ = new FocusStops(this, [this] { return focusStopsNow(); });
    speed_->setAccessibleName(text("Speed", "速度"));
    brightness_->setAccessibleName(text("Brightness", "亮度"));
    reportRate_->setAccessibleName(text("USB Report Rate", "USB报告率"));
}

void CGameKeyboardDlg::clickAt(QPoint point) {
    dispatchClick(point);
    update();
}

std::vector<FocusStop> CGameKeyboardDlg::focusStopsNow() {
    applyPanelLayout(layout(), buttons_);
    const DeviceSettings record = recordCopy();
    const auto at = [this](int entry) { return buttons_[static_cast<std::size_t>(entry)].rect; };
    const auto button = [&](const QString& id, int entry, const QString& name) {
        FocusStop stop;
        stop.id = id;
        stop.rect = at(entry);
        stop.name = name;
        stop.activate = [this, point = at(entry).center()] { clickAt(point); };
        return stop;
    };
    const auto closePopups = [this] { clickAt(QPoint(0, 0)); };
    std::vector<FocusStop> stops;

    // An open list or menu takes the keyboard until it closes, as it takes the next click.
    if (ui_.effectListOpen) {
        QStringList names;
        for (std::size_t row = 0; row < kLightingEffects.size(); ++row) {
            names << lightingEffectName(row, state_.language);
        }
        int current = -1;
        for (std::size_t row = 0; row < kLightingEffects.size(); ++row) {
            if (kLightingEffects[row].code == record.lighting.effect)
                current = static_cast<int>(row);
        }
        FocusStop list;
        list.id = QStringLiteral("effect-list");
        list.rect = QRect(QPoint(28, 173), QPoint(248, 372));
        list.name = text("Effect", "效果");
        list.role = QAccessible::List;
        list.items = listRows(28, 248, 173, names, current);
        list.currentItem = ui_.effectListHoverRow;
        list.itemFocused = [this](int row) {
            if (row < 0) return;
            ui_.effectListHoverRow = row;
            update();
        };
        list.activateItem = [this](int row) { clickAt(QPoint(138, 173 + 20 * row + 10)); };
        list.escape = closePopups;
        list.takesFocus = true;
        list.returnFocusTo = QStringLiteral("effect");
        stops.push_back(std::move(list));
        return stops;
    }
    if (ui_.responseListOpen) {
        const int top = layout().responseListTop;
        QStringList names;
        for (int row = 0; row < 10; ++row) names << responseTimeRowText(row);
        FocusStop list;
        list.id = QStringLiteral("response-list");
        list.rect = QRect(QPoint(27, top), QPoint(247, top + 199));
        list.name = text("Response Time", "按键响应时间");
        list.role = QAccessible::List;
        list.items = listRows(27, 247, top, names, record.responseTime - 1);
        list.currentItem = ui_.responseListHoverRow;
        list.itemFocused = [this](int row) {
            if (row < 0) return;
            ui_.responseListHoverRow = row;
            update();
        };
        list.activateItem = [this, top](int row) { clickAt(QPoint(137, top + 20 * row + 10)); };
        list.escape = closePopups;
        list.takesFocus = true;
        list.returnFocusTo = QStringLiteral("response");
        stops.push_back(std::move(list));
        return stops;
    }
    if (ui_.helpMenuOpen) {
        FocusStop menu;
        menu.id = QStringLiteral("help-menu");
        menu.rect = QRect(QPoint(830, 22), QPoint(996, 99));
        menu.name = text("Help", "帮助");
        menu.role = QAccessible::PopupMenu;
        const QStringList rows{QString::fromLatin1(kMakerSite), text("Update Firmware", "驱动更新"),
                               QStringLiteral("Ver1.0")};
        for (int row = 0; row < rows.size(); ++row) {
            menu.items.push_back(
                {QRect(QPoint(830, 22 + 25 * row), QPoint(996, 22 + 25 * row + 24)), row, rows[row],
                 QAccessible::MenuItem, false});
        }
        menu.currentItem = helpMenuRow_;
        menu.itemFocused = [this](int row) {
            if (row >= 0) helpMenuRow_ = row;
        };
        menu.activateItem = [this](int row) { clickAt(QPoint(900, 22 + 25 * row + 12)); };
        menu.escape = closePopups;
        menu.takesFocus = true;
        menu.returnFocusTo = QStringLiteral("help");
        stops.push_back(std::move(menu));
        return stops;
    }
    helpMenuRow_ = -1;

    FocusStop help = button(QStringLiteral("help"), main_button::kHelp, text("Help", "帮助"));
    help.role = QAccessible::ButtonMenu;
    help.expanded = false;
    stops.push_back(std::move(help));
    stops.push_back(button(QStringLiteral("minimize"), main_button::kMinimize,
                           text("Hide to the notification area", "隐藏到通知区域")));
    stops.push_back(button(QStringLiteral("close"), main_button::kClose, text("Close", "关闭")));

    const PanelSections& sections = ui_.sections;
    const auto header = [&](const QString& id, int entry, const QString& name, bool collapsed) {
        FocusStop stop = button(id, entry, name);
        stop.expanded = !collapsed;
        return stop;
    };
    const auto choice = [&](const QString& id, int entry, const QString& name, bool chosen) {
        FocusStop stop = button(id, entry, name);
        stop.role = QAccessible::RadioButton;
        stop.checked = chosen;
        return stop;
    };
    // The sliders draw the mark on their own track.
    const auto widget = [](QWidget* control) { return controlStop(control, true); };

    stops.push_back(header(QStringLiteral("lighting"), main_button::kLightingHeader,
                           text("Light", "灯光"), sections.lightingCollapsed));
    if (!sections.lightingCollapsed) {
        const std::uint8_t effect = record.lighting.effect;
        FocusStop bar =
            button(QStringLiteral("effect"), main_button::kEffectBar, text("Effect", "效果"));
        bar.role = QAccessible::ComboBox;
        bar.expanded = false;
        bar.value = lightingEffectName(effect, state_.language).value_or(QString());
        stops.push_back(std::move(bar));
        if (effect == 6 || effect == 7) {
            // The arrows as drawn: up, down, right, left; each sets its direction.
            stops.push_back(choice(QStringLiteral("direction-up"), 4, text("Up", "上"),
                                   record.lighting.direction == 3));
            stops.push_back(choice(QStringLiteral("direction-down"), 5, text("Down", "下"),
                                   record.lighting.direction == 4));
            stops.push_back(choice(QStringLiteral("direction-right"), 6, text("Right", "右"),
                                   record.lighting.direction == 2));
            stops.push_back(choice(QStringLiteral("direction-left"), 7, text("Left", "左"),
                                   record.lighting.direction == 1));
        }
        if (effect >= kFirstCustomEffect) {
            FocusStop keymap =
                choice(QStringLiteral("keymap"), 0, QStringLiteral("Keymap"), !ui_.diyEditMode);
            keymap.rect = QRect(QPoint(28, 200), QPoint(38, 210));
            keymap.activate = [this] { clickAt(QPoint(33, 205)); };
            FocusStop diy =
                choice(QStringLiteral("diy"), 0, QStringLiteral("DIY"), ui_.diyEditMode);
            diy.rect = QRect(QPoint(130, 200), QPoint(140, 210));
            diy.activate = [this] { clickAt(QPoint(135, 205)); };
            stops.push_back(std::move(keymap));
            stops.push_back(std::move(diy));
        }
        stops.push_back(widget(brightness_));
        stops.push_back(widget(speed_));
    }
    // The mark goes around the bar as drawn, which lies below its hit area.
    FocusStop macros = button(QStringLiteral("macros"), main_button::kMacroManager,
                              text("Macro Management", "宏管理器"));
    const SkinImage& macroBar = images_.image(skinFolder() + QStringLiteral("MacroButton3.png"));
    if (!macroBar.isEmpty())
        macros.rect = QRect(QPoint(19, layout().macroBarY + 15), macroBar.size());
    stops.push_back(std::move(macros));
    stops.push_back(header(QStringLiteral("game-mode"), main_button::kGameModeHeader,
                           text("Game Mode", "游戏模式"), sections.gameModeCollapsed));
    if (!sections.gameModeCollapsed) {
        stops.push_back(choice(QStringLiteral("game-mode-on"), main_button::kGameModeOn,
                               text("Game Mode ON", "游戏模式 开启"), record.gameMode == 1));
        stops.push_back(choice(QStringLiteral("game-mode-off"), main_button::kGameModeOff,
                               text("Game Mode OFF", "游戏模式 关闭"), record.gameMode == 0));
    }
    stops.push_back(header(QStringLiteral("response-header"), main_button::kResponseHeader,
                           text("Response Time", "按键响应时间"), sections.responseCollapsed));
    if (!sections.responseCollapsed) {
        FocusStop bar = button(QStringLiteral("response"), main_button::kResponseBar,
                               text("Response Time", "按键响应时间"));
        bar.role = QAccessible::ComboBox;
        bar.expanded = false;
        bar.value = responseTimeBarText(record.responseTime);
        stops.push_back(std::move(bar));
    }
    stops.push_back(header(QStringLiteral("report-rate"), main_button::kReportRateHeader,
                           text("USB Report Rate", "USB报告率"), sections.reportRateCollapsed));
    if (!sections.reportRateCollapsed) stops.push_back(widget(reportRate_));

    stops.push_back(keyboardStop(record));

    FocusStop profiles =
        button(QStringLiteral("profiles"), main_button::kProfiles, text("Profile", "配置"));
    profiles.description = profileLine();
    const SkinImage& profileButton = images_.image(skinFolder() + QStringLiteral("Config.png"));
    if (!profileButton.isEmpty()) profiles.rect = QRect(QPoint(17, 603), profileButton.size());
    stops.push_back(std::move(profiles));
    FocusStop reset =
        button(QStringLiteral("factory-reset"), main_button::kFactoryReset, text("Return", "恢复"));
    reset.description = text("Restores the factory settings", "恢复出厂设置");
    stops.push_back(std::move(reset));
    stops.push_back(button(QStringLiteral("cancel"), main_button::kCancel, text("Cancel", "取消")));
    stops.push_back(button(QStringLiteral("save"), main_button::kSave, text("Save", "保存")));
    return stops;
}

FocusStop CGameKeyboardDlg::keyboardStop(const DeviceSettings& record) {
    FocusStop picture;
    picture.id = QStringLiteral("keyboard");
    picture.rect = QRect(kKeyboardPictureX + 29, kKeyboardPictureY + 77, 640 - 29, 244 - 77 + 1);
    picture.name = text("Keyboard", "键盘");
    picture.role = QAccessible::List;
    picture.description =
        ui_.diyEditMode ? text("Arrow keys move between keys; Enter lights or darkens the key.",
                               "方向键在按键间移动；回车键点亮或熄灭按键。")
                        : text("Arrow keys move between keys; Enter opens the key's dialog.",
                               "方向键在按键间移动；回车键打开按键的设置。");
    const std::uint8_t effect = record.lighting.effect;
    const bool masked = ui_.diyEditMode && effect >= kFirstCustomEffect &&
                        effect < kFirstCustomEffect + kCustomLightMaskCount;
    const std::vector<int> keys = pictureKeys(ui_.diyEditMode);
    std::lock_guard lock(state_.keyboard.recordMutex);
    for (const int key : keys) {
        const auto index = static_cast<std::size_t>(key);
        QString name = toQString(KeyLabelTable[index].text);
        if (masked) {
            const bool lit =
                record.customLightMasks[effect - kFirstCustomEffect].bit(KeyLightBit[index]);
            name += lit ? text(", lit", "，点亮") : text(", dark", "，熄灭");
        } else {
            const KeyAssignment& assignment = (*state_.assignments.table)[index];
            name += text(", ", "，") + toQString(describeAssignment(
                                           index, assignment, keyDisabledLocked(index),
                                           state_.keyNames, *state_.macros.saved, state_.language));
            if (state_.assignments.marks[index] != 0) name += text(", changed", "，已更改");
        }
        const QRect rect = keyWindowRect(index);
        if (key == ui_.focusKey) picture.currentItem = static_cast<int>(picture.items.size());
        picture.items.push_back({rect, rect.top(), name, QAccessible::ListItem, false});
    }
    picture.itemFocused = [this, keys](int item) {
        // The key keeps the keyboard's place while the focus is elsewhere, unmarked.
        if (item >= 0) ui_.focusKey = keys[static_cast<std::size_t>(item)];
        ui_.hoverKey = item >= 0 ? ui_.focusKey : -1;
        update();
    };
    picture.activateItem = [this, keys](int item) {
        const auto key = static_cast<std::size_t>(keys[static_cast<std::size_t>(item)]);
        clickAt(keyWindowRect(key).center());
        // The key stays marked as the keyboard's place after its dialog.
        ui_.hoverKey = ui_.focusKey;
        update();
    };
    return picture;
}

}  // namespace tq260

// The main window and its icon in the notification area: the menu's actions, a double click
// that brings the window back, and the balloon that says the keyboard is gone.

#include "app/main_window.h"
#include "controls/qt_text.h"
#include "controls/window_messages.h"
#include "dialogs/dialog_text.h"

namespace tq260 {

bool CGameKeyboardDlg::hasNotificationArea() const {
    return tray_ != nullptr && tray_->hasIcon();
}

void CGameKeyboardDlg::setUpTrayIcon() {
    TrayIcon::Actions actions;
    actions.about = [this] { showAbout(); };
    actions.exit = [this] { exitFromTray(); };
    actions.doubleClicked = [this] {
        sendWindowMessage(this, WM_TRAY_NOTIFY, 0, kTrayDoubleClick);
    };
    actions.useProfile = [this](const std::u16string& name) { useProfile(name); };
    actions.refresh = [this] { refreshProfiles(); };
    actions.profileRules = [this] { services_.dialogs.runProfileRules(); };
    tray_ = std::make_unique<TrayIcon>(state_.language, services_.messages, std::move(actions));
    if (services_.trayIcon) tray_->showIcon();
}

void CGameKeyboardDlg::noticeProfileUsed(const std::u16string& name) {
    const QString notice =
        (state_.language == Language::Chinese ? QStringLiteral("已切换到配置“%1”。")
                                              : QStringLiteral("Switched to the profile \"%1\"."))
            .arg(toQString(name));
    noticeFromRules(notice, QSystemTrayIcon::Information);
}

void CGameKeyboardDlg::noticeFromRules(const QString& notice, QSystemTrayIcon::MessageIcon icon) {
    if (!hasNotificationArea()) {
        // In the bottom bar, in place of the Save's own news: the switch is what happened.
        if (ui_.operation.kind == OperationDisplay::Kind::Saved) {
            showOperation(OperationDisplay::Kind::None);
        }
        showNotice(notice, kBalloonMs);
        return;
    }
    tray_->showMessage(toQString(kProgramName.in(state_.language)), notice, icon, kBalloonMs);
}

void CGameKeyboardDlg::onTrayNotify(qintptr event) {
    if (event != kTrayDoubleClick) return;
    if (services_.link.isConnected()) {
        showNormal();
        raise();
        activateWindow();
    } else {
        sendWindowMessage(this, WM_TRAY_BALLOON, kNoKeyboardBalloon, 0);
    }
}

void CGameKeyboardDlg::onTrayBalloon(qintptr kind) {
    if (kind != kNoKeyboardBalloon) return;
    if (!hasNotificationArea()) {
        showNotice(kNoKeyboardText, kBalloonMs);
        return;
    }
    // Long enough to read; desktops that enforce their own minimum keep theirs.
    tray_->showMessage(QStringLiteral("Warning"), kNoKeyboardText, QSystemTrayIcon::Warning,
                       kBalloonMs);
}

}  // namespace tq260

#pragma once

#include <QMenu>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "keys/language.h"
#include "platform/message_boxes.h"

namespace tq260 {

// The program's icon in the notification area and its menu: About, "Start with the desktop",
// the profiles (the active one ticked; choosing one uses it) and Exit. The menu is built
// also where the desktop has no notification area, so it can be looked at and tested; the
// icon only where there is one.
class TrayIcon {
  public:
    struct Actions {
        std::function<void()> about;
        std::function<void()> exit;
        std::function<void()> doubleClicked;
        std::function<void(const std::u16string&)> useProfile;
        // The menu is about to open: the profiles are to be shown as they are on disk now.
        std::function<void()> refresh;
        // Opens the rules that give the application in front its profile.
        std::function<void()> profileRules;
    };
    // One row of the profiles' submenu.
    struct Profile {
        std::u16string name;
        bool active = false;
        bool empty = false;    // nothing to use yet: shown, but not chosen
        bool damaged = false;  // holds what the keyboard does not take: shown, not chosen
    };

    TrayIcon(Language language, MessageBoxes& messages, Actions actions);
    ~TrayIcon();

    // Shows the icon where the desktop has a notification area; whether it is shown.
    bool showIcon();
    bool hasIcon() const { return icon_ != nullptr; }
    void hideIcon();
    // News with the information icon; the warning icon only for a failure.
    void showMessage(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                     int ms);

    // The profiles' rows; choosable is false while the program cannot switch (a dialog is
    // up, the keyboard is busy). The tooltip names the program and the profile line.
    void showProfiles(const std::vector<Profile>& profiles, bool choosable);
    void setProfileLine(const QString& line);

    QMenu& menu() { return *menu_; }
    QMenu& profilesMenu() { return *profiles_; }
    QString toolTip() const { return toolTip_; }

  private:
    QString text(const char* english, const char* chinese) const;

    Language language_;
    Actions actions_;
    std::unique_ptr<QMenu> menu_;
    QMenu* profiles_ = nullptr;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QString toolTip_;
};

}  // namespace tq260

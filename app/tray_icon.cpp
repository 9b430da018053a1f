#include "app/tray_icon.h"

#include <QActionGroup>
#include <QCoreApplication>

#include "app/start_with_desktop_item.h"
#include "controls/qt_text.h"
#include "controls/resource_bitmaps.h"
#include "dialogs/dialog_text.h"
#include "platform/autostart_entry.h"

namespace tq260 {

TrayIcon::TrayIcon(Language language, MessageBoxes& messages, Actions actions)
    : language_(language), actions_(std::move(actions)), menu_(std::make_unique<QMenu>()) {
    // Items that open a window run once the menu has closed and the choosing event has been
    // answered, so a screen reader that chose one through its action is not kept waiting.
    const auto opensWindow = [this](const QString& label, std::function<void()> open) {
        QObject::connect(menu_->addAction(label), &QAction::triggered, menu_.get(), std::move(open),
                         Qt::QueuedConnection);
    };
    // A borderless window has no system menu on every desktop; its About item lives here.
    opensWindow(text("About TQ260 104vez VANTOR", "关于 TQ260 104vez星岚版"),
                [this] { actions_.about(); });
#ifndef _WIN32
    addStartWithDesktopItem(*menu_, language_, messages, autostartEntryPath(),
                            QCoreApplication::applicationFilePath().toStdU16String());
#else
    (void)messages;
#endif
    profiles_ = menu_->addMenu(text("Profiles", "配置"));
    opensWindow(toQString(kUseForApplications.in(language_)), [this] {
        if (actions_.profileRules) actions_.profileRules();
    });
    // Filled as it opens, from what is on disk then.
    QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] {
        if (actions_.refresh) actions_.refresh();
    });
    menu_->addSeparator();
    menu_->addAction(text("Exit", "退出"), [this] { actions_.exit(); });
    setProfileLine({});
}

TrayIcon::~TrayIcon() {
    hideIcon();
}

QString TrayIcon::text(const char* english, const char* chinese) const {
    return QString::fromUtf8(language_ == Language::Chinese ? chinese : english);
}

bool TrayIcon::showIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_ = std::make_unique<QSystemTrayIcon>(applicationIcon());
    icon_->setToolTip(toolTip_);
    icon_->setContextMenu(menu_.get());
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, menu_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) actions_.doubleClicked();
                     });
    icon_->show();
    return true;
}

void TrayIcon::hideIcon() {
    if (icon_) icon_->hide();
}

void TrayIcon::showMessage(const QString& title, const QString& message,
                           QSystemTrayIcon::MessageIcon icon, int ms) {
    if (icon_) icon_->showMessage(title, message, icon, ms);
}

void TrayIcon::showProfiles(const std::vector<Profile>& profiles, bool choosable) {
    profiles_->clear();
    if (profiles.empty()) {
        profiles_->addAction(text("No profiles yet", "还没有配置"))->setEnabled(false);
        return;
    }
    auto* group = new QActionGroup(profiles_);
    for (const Profile& profile : profiles) {
        QString label = toQString(profile.name);
        if (profile.empty) label += text(" (empty)", "（空）");
        if (profile.damaged) label += text(" (damaged)", "（已损坏）");
        // A name's & would otherwise underline the letter after it.
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = profiles_->addAction(label);
        action->setCheckable(true);
        action->setChecked(profile.active);
        action->setEnabled(choosable && !profile.empty && !profile.damaged);
        action->setActionGroup(group);
        QObject::connect(action, &QAction::triggered, profiles_,
                         [this, name = profile.name] { actions_.useProfile(name); });
    }
}

void TrayIcon::setProfileLine(const QString& line) {
    QString tip = text("TQ260 104vez VANTOR", "TQ260 104vez星岚版");
    if (!line.isEmpty()) tip += QLatin1Char('\n') + line;
    // Asked at every repaint; the desktop hears only of a change.
    if (tip == toolTip_) return;
    toolTip_ = tip;
    if (icon_) icon_->setToolTip(toolTip_);
}

}  // namespace tq260

#include "tools/snapshots/profile_scenes.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "config/profile_rules_file.h"
#include "dialogs/configure_dlg.h"
#include "dialogs/profile_dialog_layout.h"
#include "dialogs/profile_rules_dialog.h"
#include "platform/atomic_file.h"

namespace tq260::snapshots {

namespace {

class Silent final : public MessageBoxes, public FilePickers {
  public:
    void tell(const std::u16string&, const std::u16string&) override {}
    bool ask(const std::u16string&, const std::u16string&) override { return false; }
    std::optional<std::u16string> openFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> saveFile(const Request&) override { return std::nullopt; }
    std::optional<std::u16string> folder(const Request&) override { return std::nullopt; }
};

void save(const QImage& image, const QString& path) {
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace

void writeProfiles(const QString& app, Language language, const QString& out,
                   const QString& suffix) {
    // A scratch application folder that finds the skins, so the profiles made here go nowhere.
    QTemporaryDir scratch;
    QFile::link(QDir(app).absoluteFilePath("png"), scratch.filePath("png"));
    DeviceSettings settings;
    const auto assignments = std::make_unique<AssignmentTable>();
    RecordMutex lock;
    Silent silent;
    ProfileStore store;
    CConfigureDlg dialog({scratch.path() + "/",
                          scratch.path() + "/",
                          language,
                          {settings, *assignments, lock},
                          silent,
                          silent,
                          store});
    const QRect mainWindow(0, 0, 1000, 640);

    dialog.prepare(mainWindow);
    dialog.show();
    settle();
    save(dialog.render(), out + "profiles-empty" + suffix);

    for (const char* name : {"Arena", "Raid night", "Office", "Racing", "Strategy", "Default"}) {
        QFile file(scratch.filePath(QStringLiteral("Configure/%1.bin").arg(name)));
        if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(2412, '\x01'));
    }
    // "Raid night" is the profile in use: ticked.
    store.openIn(std::filesystem::path(scratch.path().toStdU16String()));
    store.setActive(u"Raid night");
    dialog.prepare(mainWindow);
    dialog.list()->setCurrentRow(2);
    settle();
    save(dialog.render(), out + "profiles-six" + suffix);

    // Renaming in place: the edit over the selected row.
    QMouseEvent press(QEvent::MouseButtonDblClick, dialog.list()->rowRect(2).center(),
                      dialog.list()->viewport()->mapToGlobal(dialog.list()->rowRect(2).center()),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.list()->viewport(), &press);
    if (dialog.list()->editor() != nullptr) dialog.list()->editor()->setText("Raid night 2");
    settle();
    save(dialog.render(), out + "profiles-renaming" + suffix);
    dialog.list()->endEdit(false);

    // The menu where a right click on the list opens it, with the rules' item.
    dialog.setRulesOpener([] {});
    QImage withMenu = dialog.render();
    QMenu& menu = *dialog.menu();
    const QPoint menuAt(90, 120);
    menu.popup(dialog.mapToGlobal(menuAt));
    menu.setActiveAction(menu.actions().at(0));  // Use
    settle();
    QPainter(&withMenu).drawImage(menuAt, menu.grab().toImage());
    menu.hide();
    save(withMenu, out + "profiles-menu" + suffix);

    // Used from the keyboard: the mark around the list, then on New.
    dialog.activateWindow();
    dialog.focusStops().keyboardUsed();
    dialog.list()->setFocus(Qt::TabFocusReason);
    settle();
    save(dialog.render(), out + "profiles-keyboard-focus-list" + suffix);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    settle();
    save(dialog.render(), out + "profiles-keyboard-focus-new" + suffix);
    dialog.done(QDialog::Rejected);
}

void writeRulesWindow(Language language, const QString& out, const QString& suffix) {
    QTemporaryDir scratch;
    const std::filesystem::path folder(scratch.path().toStdU16String());
    std::string why;
    writeProfileRules(folder,
                      {true,
                       {{"steam_app_570", "", u"Arena"},
                        {"XLogo", "", u"Raid night"},
                        {"org.gnome.Terminal", "/usr/bin/gnome-terminal", u"Office"}},
                       u"Default",
                       true},
                      why);
    // Raid night made by New and never saved into: its rule is marked.
    std::filesystem::create_directories(folder / ProfileStore::kFolderName);
    for (const char* name : {"Arena", "Default", "Office", "Raid night"}) {
        std::vector<std::uint8_t> bytes(ProfileStore::kNewProfileBytes, 0);
        bytes[0] = std::string_view(name) == "Raid night" ? 0 : 1;
        writeFileAtomically(folder / ProfileStore::kFolderName / (std::string(name) + ".bin"),
                            std::span<const std::uint8_t>(bytes));
    }
    Silent silent;
    ProfileRulesDialog dialog({language,
                               folder,
                               language == Language::Chinese
                                   ? QStringLiteral("正在监视 X 服务器的活动窗口。")
                                   : QStringLiteral("Watching the X server's active window."),
                               {},
                               silent});
    dialog.show();
    dialog.table()->selectRow(1);
    settle();
    save(dialog.grab().toImage(), out + "profile-rules" + suffix);

    // The tool wrote the file meanwhile (a path rule behind the general one, a profile that is
    // not there): a change in the window is refused and said, the rules shown as they are now.
    writeProfileRules(folder,
                      {true,
                       {{"steam_app_570", "", u"Arena"},
                        {"steam_app_570", "/opt/steam/dota2", u"Office"},
                        {"XLogo", "", u"Raid night"}},
                       u"Old",
                       true},
                      why);
    dialog.noticeBox()->click();
    dialog.table()->selectRow(1);
    settle();
    save(dialog.grab().toImage(), out + "profile-rules-changed-elsewhere" + suffix);
}

}  // namespace tq260::snapshots

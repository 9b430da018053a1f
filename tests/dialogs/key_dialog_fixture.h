#pragma once

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTest>
#include <memory>

#include "dialogs/key_map.h"
#include "dialogs/keymap_dlg2.h"
#include "keys/key_layout.h"
#include "keys/named_function_table.h"
#include "support/scripted_key_hook.h"
#include "support/scripted_messages.h"
#include "support/scripted_pickers.h"

namespace tq260::testing {

// Points inside the regions of the key dialogs.
namespace at {
inline const QPoint close(310, 9);
inline const QPoint keyTab(50, 44);
inline const QPoint macroTab(160, 44);  // the first dialog's
inline const QPoint functionTab(270, 44);
inline const QPoint toggle(24, 255);
inline const QPoint defaults(176, 257);
inline const QPoint cancel(230, 257);
inline const QPoint save(284, 257);
inline const QPoint empty(150, 230);
// The launch grid: row r's choice mark and browse button.
inline QPoint choice(int row) {
    return {20, 76 + 30 * row};
}
inline QPoint browse(int row) {
    return {280, 75 + 30 * row};
}
}  // namespace at

// A key dialog of either kind on the program's skins, driven by a scripted key hook,
// message boxes and choosers.
class KeyDialogTest : public ::testing::Test {
  protected:
    enum Kind { Navigation, Other };

    // Opens the dialog of the kind on a key whose record the test has set in `record`.
    KeyAssignmentDialog& open(Kind kind, std::size_t key, Language language = Language::English,
                              bool disabled = false) {
        record.identity = KeyLayout[key].virtualKey;
        const KeyDialogContext context{
            applicationFolder(), language, names, *macros, hook, messages, pickers};
        if (kind == Navigation) {
            dialog = std::make_unique<CKeyMap>(context);
        } else {
            dialog = std::make_unique<CKeymapDlg2>(context);
        }
        dialog->prepare(key, record, request, disabled);
        dialog->show();
        return *dialog;
    }

    void click(QPoint point) { QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, point); }
    QString box() const { return dialog->keyBox()->text(); }
    // The user clicks into the box: a new capture starts.
    void clickIntoBox() {
        QFocusEvent clicked(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(dialog->keyBox(), &clicked);
    }
    bool closed() const { return !dialog->isVisible(); }
    bool accepted() const { return closed() && dialog->result() == QDialog::Accepted; }

    void storeFunction(std::size_t row) {
        const KeyEntry e = NamedFunctionTable[row].entry;
        record.type = static_cast<std::uint8_t>(AssignmentType::NamedFunction);
        record.data[0] = e.kind;
        record.data[1] = e.param;
        record.data[2] = e.code;
        record.data[3] = e.extra;
    }
    void storeMacro(std::uint8_t slot) {
        record.type = static_cast<std::uint8_t>(AssignmentType::Macro);
        record.data[0] = 4;
        record.data[1] = 1;
        record.data[2] = slot;
    }
    void storeLaunch(AssignmentType type, std::u16string_view path) {
        record.type = static_cast<std::uint8_t>(type);
        record.launchPath.fill(0);
        std::copy(path.begin(), path.end(), record.launchPath.begin());
    }
    void storeCombination(std::initializer_list<std::uint8_t> keys) {
        record.type = static_cast<std::uint8_t>(AssignmentType::Combination);
        record.count = static_cast<std::uint8_t>(keys.size());
        std::copy(keys.begin(), keys.end(), record.data.begin());
    }
    std::u16string launchPath() const {
        const auto& p = request.launchPath;
        return {p.begin(), std::find(p.begin(), p.end(), u'\0')};
    }
    std::u16string functionName() const {
        const auto& n = request.functionName;
        return {n.begin(), std::find(n.begin(), n.end(), u'\0')};
    }

    static QString applicationFolder() {
        return QFileInfo(QStringLiteral(TQ260_TEST_SKINS)).path() + "/";
    }

    const KeyNameTable names;
    std::unique_ptr<MacroTable> macros = std::make_unique<MacroTable>();
    ScriptedKeyHook hook;
    ScriptedMessages messages;
    ScriptedPickers pickers;
    KeyAssignment record;
    AssignmentRequest request;
    std::unique_ptr<KeyAssignmentDialog> dialog;
};

}  // namespace tq260::testing

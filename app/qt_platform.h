#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "controls/qt_text.h"
#include "keys/launch_for_key.h"
#include "platform/file_pickers.h"
#include "platform/main_thread_queue.h"
#include "platform/message_boxes.h"
#include "platform/program_starter.h"
#include "platform/shell_launcher.h"

namespace tq260 {

std::u16string toU16(const QString& text);

// Runs tasks on the thread of the context object through Qt's event loop.
class QtMainThreadQueue final : public MainThreadQueue {
  public:
    explicit QtMainThreadQueue(QObject* context) : context_(context) {}
    void post(std::function<void()> task) override;
    void postAfter(int ms, std::function<void()> task) override;

  private:
    QPointer<QObject> context_;
};

enum class BoxKind { Tell, Warn, Ask };

// A message box in the program's look: OK with the information or the warning icon, or OK
// and Cancel for a question.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::u16string& text,
                                            const std::u16string& caption, BoxKind kind);

class QtMessageBoxes final : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    void tell(const std::u16string& text, const std::u16string& caption) override;
    void warn(const std::u16string& text, const std::u16string& caption) override;
    bool ask(const std::u16string& text, const std::u16string& caption) override;
    std::size_t choose(const std::u16string& text, const std::u16string& caption,
                       const std::vector<std::u16string>& answers) override;

  private:
    QPointer<QWidget> owner_;
};

class QtProgramStarter final : public ProgramStarter {
  public:
    bool start(const std::u16string& program, const std::u16string& parameters) override;
    bool openWebPage(const std::u16string& address) override;
};

// Files and folders open with the desktop's default action.
class QtShellLauncher final : public ShellLauncher {
  public:
    Result open(const std::u16string& folder, const std::u16string& file) override;
};

class QtFilePickers final : public FilePickers {
  public:
    explicit QtFilePickers(QWidget* owner = nullptr) : owner_(owner) {}
    std::optional<std::u16string> openFile(const Request& request) override;
    std::optional<std::u16string> saveFile(const Request& request) override;
    std::optional<std::u16string> folder(const Request& request) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace tq260

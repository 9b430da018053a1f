#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>

#include "controls/edit_helper.h"

namespace tq260 {

// The list of the skinned dialogs: rows of shadowed text over a copy of what lies under
// the list, edited in place with a CEditHelper.
class CTransparentListBox final : public QListWidget {
  public:
    // 0 plain rows (macro names), 1 delay and key rows with icons and delay editing (macro
    // events), 3 rows over a snapshot of the dialog, renames reported (profiles).
    enum ListMode { PlainRows = 0, EventRows = 1, RenameRows = 3 };

    static constexpr int kMinDelayMs = 2;
    static constexpr int kMaxDelayMs = 60000;
    static constexpr int kIconInset = 20;
    // A row whose item holds true in this role is drawn with a tick at its end (the profile
    // in use).
    static constexpr int kMarkRole = Qt::UserRole + 1;
    // A short note drawn muted after a row's text ("(empty)"); the text stays the row's own,
    // so an edit in place never sees it.
    static constexpr int kNoteRole = Qt::UserRole + 2;

    explicit CTransparentListBox(QWidget* parent = nullptr);

    int listMode = PlainRows;

    void configure(int fontHeight, const QString& face, QColor textColour, QColor selectedColour,
                   bool shadowOn, int shadowOffset, QColor shadowColour);
    // The profile list keeps its rows sorted.
    void setSorted(bool sorted);

    int addRow(const QString& text);
    int insertRow(int index, const QString& text);

    // Rows from this one on are drawn muted (what the keyboard will not play); -1: none.
    void setMutedFrom(int row);
    int mutedFrom() const { return mutedFrom_; }

    int editedRow() const { return editedRow_; }
    CEditHelper* editor() const { return editor_; }
    int rowHeight() const { return rowHeight_; }
    QFont drawingFont() const;
    QRect rowRect(int row) const;
    // The Menu key or Shift+F10 on the list, no row being edited: its menu is asked for.
    bool asksForMenu(const QKeyEvent& event) const;
    // Where that menu opens: under the current row (the first when none), on the screen.
    QPoint menuPosition() const;

    // Closes an open edit, keeping its text when commit is set.
    void endEdit(bool commit);

  protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void captureBackground();
    void drawRow(QPainter& painter, int row, const QRect& rect, bool selected) const;
    void drawMark(QPainter& painter, const QRect& rect) const;
    void beginEdit(QPoint point);
    void measureRowHeight();
    QObject* messageTarget() const { return parentWidget(); }

    QPointer<CEditHelper> editor_;
    int editedRow_ = -1;
    int editStartRow_ = -1;
    QColor textColour_;
    QColor selectedColour_;
    QColor shadowColour_ = Qt::black;
    QFont font_;
    bool hasOwnFont_ = false;
    QImage background_;
    bool backgroundCaptured_ = false;
    int shadowOffset_ = 3;
    bool shadowOn_ = false;
    int rowHeight_ = 25;
    int mutedFrom_ = -1;
    // Decoded once: decoding them for every row made a repaint cost a millisecond.
    QImage pressIcon_;
    QImage releaseIcon_;
    QImage delayIcon_;
    QImage listBackground_;
};

}  // namespace tq260

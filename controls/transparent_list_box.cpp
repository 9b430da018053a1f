#include "controls/transparent_list_box.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <algorithm>

#include "controls/dark_scroll_bars.h"
#include "controls/debug_trace.h"
#include "controls/resource_bitmaps.h"
#include "controls/skin_image.h"
#include "controls/window_messages.h"

namespace tq260 {

namespace {

constexpr int kEditorMargin = 2;
const QPoint kListBackgroundOrigin(7, 22);
const QColor kMutedText(0x80, 0x86, 0x94);
const QColor kMarkColour(0x3F, 0xC8, 0xF0);  // the accent of the progress line
const QColor kMutedSelectedText(0x4A, 0xA8, 0xAE);

// Every row is as tall as the list says.
class RowHeightDelegate final : public QStyledItemDelegate {
  public:
    explicit RowHeightDelegate(CTransparentListBox* list)
        : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(list_->viewport()->width(), list_->rowHeight());
    }

  private:
    const CTransparentListBox* list_;
};

}  // namespace

CTransparentListBox::CTransparentListBox(QWidget* parent)
    : QListWidget(parent),
      textColour_(palette().color(QPalette::WindowText)),
      selectedColour_(palette().color(QPalette::HighlightedText)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new RowHeightDelegate(this));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applyDarkScrollBars(this);
    background_ = QImage(viewport()->size(), QImage::Format_RGB32);
    background_.fill(Qt::black);
}

void CTransparentListBox::configure(int fontHeight, const QString& face, QColor textColour,
                                    QColor selectedColour, bool shadowOn, int shadowOffset,
                                    QColor shadowColour) {
    textColour_ = textColour;
    selectedColour_ = selectedColour;
    shadowOn_ = shadowOn;
    shadowOffset_ = shadowOffset;
    shadowColour_ = shadowColour;
    font_ = QFont(face);
    font_.setWeight(QFont::Bold);
    setCellHeight(font_, fontHeight);
    font_.setStyleStrategy(QFont::PreferQuality);
    hasOwnFont_ = true;
    measureRowHeight();
}

void CTransparentListBox::setSorted(bool sorted) {
    setSortingEnabled(sorted);
}

void CTransparentListBox::setMutedFrom(int row) {
    if (row == mutedFrom_) return;
    mutedFrom_ = row;
    viewport()->update();
}

QFont CTransparentListBox::drawingFont() const {
    return hasOwnFont_ ? font_ : font();
}

void CTransparentListBox::measureRowHeight() {
    rowHeight_ =
        std::max(1, QFontMetrics(drawingFont()).boundingRect(QStringLiteral("XYZ")).height());
    doItemsLayout();
    viewport()->update();
}

int CTransparentListBox::addRow(const QString& text) {
    const bool first = count() == 0;
    auto* item = new QListWidgetItem(text);
    addItem(item);
    if (first) measureRowHeight();
    return row(item);
}

int CTransparentListBox::insertRow(int index, const QString& text) {
    const bool first = count() == 0;
    auto* item = new QListWidgetItem(text);
    insertItem(index, item);
    if (first) measureRowHeight();
    return row(item);
}

QRect CTransparentListBox::rowRect(int row) const {
    const int top = verticalScrollBar()->value();
    return QRect(0, (row - top) * rowHeight_, viewport()->width(), rowHeight_);
}

bool CTransparentListBox::asksForMenu(const QKeyEvent& event) const {
    if (editor() != nullptr) return false;
    return event.key() == Qt::Key_Menu ||
           (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

QPoint CTransparentListBox::menuPosition() const {
    const int row = std::max(currentRow(), 0);
    const QPoint under = count() > 0 ? rowRect(row).bottomLeft() : QPoint();
    return viewport()->mapToGlobal(under);
}

bool CTransparentListBox::event(QEvent* event) {
    if (const auto* message = asWindowMessage(event)) {
        if (message->message() == WM_INPLACE_EDIT_END) {
            endEdit(message->wParam() == 1);
            return true;
        }
        if (message->message() == WM_LIST_EDIT_BEGIN) return true;  // not for the list itself
    }
    return QListWidget::event(event);
}

bool CTransparentListBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) backgroundCaptured_ = false;
    return QListWidget::viewportEvent(event);
}

void CTransparentListBox::captureBackground() {
    // At the screen's density, so the rows' text is as sharp as the window's.
    const qreal density = devicePixelRatioF();
    pressIcon_ = resourceBitmap(kPressIcon, density);
    releaseIcon_ = resourceBitmap(kReleaseIcon, density);
    delayIcon_ = resourceBitmap(kDelayIcon, density);
    listBackground_ = resourceBitmap(kListBackground, density);
    background_ = QImage(viewport()->size() * density, QImage::Format_RGB32);
    background_.setDevicePixelRatio(density);
    background_.fill(Qt::black);
    QPainter painter(&background_);
    if (listMode == RenameRows) {
        if (QWidget* parent = parentWidget()) {
            // The parent's own painting under the list, without its children (this list).
            const QRect area(viewport()->mapTo(parent, QPoint(0, 0)), viewport()->size());
            painter.end();
            parent->render(&background_, QPoint(0, 0), QRegion(area),
                           QWidget::DrawWindowBackground);
        }
    } else {
        drawImagePart(painter, QRectF(QPointF(0, 0), viewport()->size()), listBackground_,
                      QRect(kListBackgroundOrigin, viewport()->size()));
    }
    backgroundCaptured_ = true;
}

void CTransparentListBox::paintEvent(QPaintEvent*) {
    // Captured again after a resize, and when the screen's density changed (another screen).
    if (!backgroundCaptured_ || !qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF()))
        captureBackground();
    QImage surface = background_.copy();
    {
        QPainter painter(&surface);
        painter.setFont(drawingFont());
        const int top = verticalScrollBar()->value();
        for (int r = top; r < count(); ++r) {
            const QRect rect = rowRect(r);
            if (rect.top() >= viewport()->height()) break;
            drawRow(painter, r, rect, item(r)->isSelected());
        }
    }
    QPainter screen(viewport());
    screen.drawImage(0, 0, surface);
}

void CTransparentListBox::drawRow(QPainter& painter, int r, const QRect& rect,
                                  bool selected) const {
    if (r < 0 || r >= count()) return;
    const qreal density = background_.devicePixelRatio();
    painter.drawImage(QRectF(rect), background_,
                      QRectF(QPointF(rect.topLeft()) * density, QSizeF(rect.size()) * density));
    QString text = item(r)->text();
    QImage icon;
    if (listMode == EventRows) {
        if (text.contains(QStringLiteral("dn"))) {
            icon = pressIcon_;
            text.remove(QStringLiteral("dn"));
        } else if (text.contains(QStringLiteral("up"))) {
            icon = releaseIcon_;
            text.remove(QStringLiteral("up"));
        } else if (text.contains(QStringLiteral("ms"))) {
            icon = delayIcon_;
        }
    }
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;
    const bool enabled = isEnabled();
    const bool marked = item(r)->data(kMarkRole).toBool();
    // Text, shadow and note stop short of a tick or an icon: a long text ends in "…".
    const QRect room =
        marked || !icon.isNull() ? rect.adjusted(0, 0, -kIconInset - shadowOffset_, 0) : rect;
    const QFontMetrics metrics(painter.font());
    const QString note = item(r)->data(kNoteRole).toString();
    const int noteWidth = note.isEmpty() ? 0 : metrics.horizontalAdvance(u' ' + note);
    text = metrics.elidedText(text, Qt::ElideRight, std::max(room.width() - noteWidth, 0));
    if (shadowOn_) {
        painter.setPen(enabled ? shadowColour_ : QColor(Qt::white));
        painter.drawText(room.translated(shadowOffset_, shadowOffset_), kFlags, text);
    }
    const bool muted = mutedFrom_ >= 0 && r >= mutedFrom_;
    painter.setPen(!enabled   ? QColor(Qt::black)
                   : muted    ? (selected ? kMutedSelectedText : kMutedText)
                   : selected ? selectedColour_
                              : textColour_);
    painter.drawText(room, kFlags, text);
    if (!note.isEmpty()) {
        painter.setPen(selected ? kMutedSelectedText : kMutedText);
        painter.drawText(room.adjusted(metrics.horizontalAdvance(text), 0, 0, 0), kFlags,
                         u' ' + note);
    }
    if (!icon.isNull())
        painter.drawImage(rect.left() + rect.width() - kIconInset, rect.top(), icon);
    if (marked) drawMark(painter, rect);
}

void CTransparentListBox::drawMark(QPainter& painter, const QRect& rect) const {
    // A tick drawn, not a character: it looks the same whatever fonts are installed.
    const qreal h = std::min(rect.height(), 16);
    const QPointF at(rect.right() - kIconInset + 4, rect.top() + (rect.height() - h) / 2);
    QPainterPath tick;
    tick.moveTo(at + QPointF(0, h * 0.55));
    tick.lineTo(at + QPointF(h * 0.35, h * 0.85));
    tick.lineTo(at + QPointF(h * 0.9, h * 0.2));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (shadowOn_) {
        painter.setPen(QPen(shadowColour_, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick.translated(1, 1));
    }
    painter.setPen(QPen(kMarkColour, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.restore();
}

void CTransparentListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    beginEdit(event->position().toPoint());
    event->accept();
}

void CTransparentListBox::beginEdit(QPoint point) {
    const int r = currentRow();
    if (r < 0 || r >= count()) return;
    const QString text = item(r)->text();
    if (listMode == EventRows &&
        (text.contains(QStringLiteral("up")) || text.contains(QStringLiteral("dn")))) {
        return;
    }
    if (!rowRect(r).contains(point)) return;
    sendWindowMessage(messageTarget(), WM_LIST_EDIT_BEGIN, 0, 0);

    auto* editor = new CEditHelper(viewport(), this);
    editor->setGeometry(rowRect(r).adjusted(0, -kEditorMargin, 0, kEditorMargin));
    editor->setFont(drawingFont());
    editor->setFrame(true);
    QString shown = text;
    if (listMode == EventRows) {
        shown.remove(QStringLiteral(" ms"));
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), editor));
    }
    editor->setText(shown);
    editor->selectAll();
    editor->show();
    editor->setFocus();
    editor_ = editor;
    editedRow_ = r;
    editStartRow_ = r;
    qCDebug(traceCategory, "m_iItemBeingEdited=%d ", r);
}

void CTransparentListBox::endEdit(bool commit) {
    if (!editor_) return;
    // Taken out first: hiding the editor moves the focus, which reports the end again.
    CEditHelper* editor = editor_;
    editor_ = nullptr;
    if (commit && editedRow_ >= 0 && editedRow_ < count()) {
        const QString old = item(editedRow_)->text();
        QString edited = editor->text();
        if (listMode == EventRows) {
            bool number = false;
            const int typed = edited.toInt(&number);
            const int value = std::clamp(number ? typed : 0, kMinDelayMs, kMaxDelayMs);
            edited = QStringLiteral("%1 ms").arg(value);
            sendWindowMessage(messageTarget(), WM_LIST_ITEM_EDITED, editedRow_, value);
        }
        if (edited != old) {
            delete takeItem(editedRow_);
            auto* replacement = new QListWidgetItem(edited);
            insertItem(editedRow_, replacement);  // a sorted list puts it in its place
            editedRow_ = row(replacement);
            setCurrentRow(editedRow_);
            if (listMode == RenameRows) {
                sendWindowMessage(messageTarget(), WM_LIST_ITEM_EDITED, editStartRow_, editedRow_);
            }
        }
    }
    editedRow_ = -1;
    setFocus();
    editor->hide();
    editor->deleteLater();
    viewport()->update();
}

void CTransparentListBox::wheelEvent(QWheelEvent* event) {
    endEdit(true);
    QListWidget::wheelEvent(event);
    viewport()->update();
    event->accept();
}

void CTransparentListBox::scrollContentsBy(int dx, int dy) {
    endEdit(true);
    QListWidget::scrollContentsBy(dx, dy);
    viewport()->update();
}

void CTransparentListBox::keyPressEvent(QKeyEvent* event) {
    QListWidget::keyPressEvent(event);
    // The row the keyboard is on is the chosen one, as a click there makes it: Home, End or
    // Space choose the first row too, which no arrow moves onto when it is already current.
    const int key = event->key();
    const bool moves = key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Up ||
                       key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
                       key == Qt::Key_Space;
    if (moves && editor() == nullptr && currentItem() != nullptr && !currentItem()->isSelected()) {
        currentItem()->setSelected(true);
    }
    viewport()->update();
}

void CTransparentListBox::moveEvent(QMoveEvent* event) {
    backgroundCaptured_ = false;
    QListWidget::moveEvent(event);
    viewport()->update();
}

void CTransparentListBox::resizeEvent(QResizeEvent* event) {
    endEdit(true);
    backgroundCaptured_ = false;
    QListWidget::resizeEvent(event);
    viewport()->update();
}

}  // namespace tq260

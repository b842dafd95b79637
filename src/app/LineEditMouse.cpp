// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TLineEdit and the mouse, drag and drop, focus and the cursor's blink.
#include "LineEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleHints>

void TLineEdit::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    FPressPos = pos;
    if (e->button() == Qt::RightButton)
        return;
    if (FTripleClickTimer.isActive() &&
        (pos - FTripleClickPos).manhattanLength() < QApplication::startDragDistance()) {
        selectAll();
        return;
    }
    const bool mark = e->modifiers() & Qt::ShiftModifier;
    const qsizetype on = PositionAt(pos.x(), true);
    if (FDragEnabled && !mark && e->button() == Qt::LeftButton && hasSelectedText() &&
        on >= selectionStart() && on < selectionEnd())
        FDragTimer.start(QApplication::startDragTime(), this); // perhaps the start of a drag
    else
        MoveCursor(PositionAt(pos.x(), false), mark);
}

void TLineEdit::mouseMoveEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    const QPoint pos = e->position().toPoint();
    if (FDragTimer.isActive()) {
        if ((FPressPos - pos).manhattanLength() > QApplication::startDragDistance())
            StartDrag();
        return;
    }
    // Far above or below the line selects to its start or end at once.
    const int quick = QGuiApplication::styleHints()->mouseQuickSelectionThreshold();
    if (quick > 0 && pos.y() > FPressPos.y() + quick)
        MoveCursor(FText.size(), true);
    else if (quick > 0 && pos.y() < FPressPos.y() - quick)
        MoveCursor(0, true);
    else
        MoveCursor(PositionAt(pos.x(), false), true);
}

void TLineEdit::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && FDragTimer.isActive()) {
        FDragTimer.stop(); // a click inside the selection, not a drag
        deselect();
        return;
    }
    if (!QGuiApplication::clipboard()->supportsSelection())
        return;
    if (e->button() == Qt::LeftButton) {
        CopyTo(QClipboard::Selection);
    } else if (e->button() == Qt::MiddleButton) {
        deselect();
        const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
        FMergeOpen = false;
        InsertTyped(text, TEditKind::ekOther);
    }
}

void TLineEdit::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    SelectWordAt(PositionAt(e->position().toPoint().x(), false));
    FTripleClickTimer.start(QApplication::doubleClickInterval(), this);
    FTripleClickPos = e->position().toPoint();
    CopyTo(QClipboard::Selection);
}

void TLineEdit::StartDrag()
{
    FDragTimer.stop();
    auto *data = new QMimeData;
    data->setText(selectedText());
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    FDragStart = selectionStart();
    FDragEnd = selectionEnd();
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction);
    // A move into another program takes the text away from here; a move
    // within this edit was done by the drop.
    if (action == Qt::MoveAction && drag->target() != this && FDragStart >= 0 &&
        FDragEnd <= FText.size())
        Edit(FDragStart, FDragEnd, QString(), TEditKind::ekOther);
    FDragStart = FDragEnd = -1;
}

void TLineEdit::dragEnterEvent(QDragEnterEvent *e)
{
    if (e->mimeData()->hasText())
        e->acceptProposedAction();
}

void TLineEdit::dragMoveEvent(QDragMoveEvent *e)
{
    if (!e->mimeData()->hasText())
        return;
    e->acceptProposedAction();
    MoveCursor(PositionAt(e->position().toPoint().x(), false), false);
    FCursorVisible = true;
    update();
}

void TLineEdit::dragLeaveEvent(QDragLeaveEvent *)
{
    FCursorVisible = hasFocus();
    update();
}

void TLineEdit::dropEvent(QDropEvent *e)
{
    if (!e->mimeData()->hasText())
        return;
    const qsizetype at = PositionAt(e->position().toPoint().x(), false);
    const QString text = e->mimeData()->text();
    FCursorVisible = hasFocus();
    const bool fromHere = e->source() == this && FDragStart >= 0;
    if (fromHere && e->dropAction() == Qt::MoveAction) {
        // Moved within the edit: one step, so that one undo puts it back.
        const QString moved = FText.mid(FDragStart, FDragEnd - FDragStart);
        if (at < FDragStart)
            Edit(at, FDragEnd, moved + FText.mid(at, FDragStart - at), TEditKind::ekOther);
        else if (at > FDragEnd)
            Edit(FDragStart, at, FText.mid(FDragEnd, at - FDragEnd) + moved, TEditKind::ekOther);
        if (at < FDragStart || at > FDragEnd)
            setSelection(at < FDragStart ? at : at - moved.size(), moved.size());
        FDragStart = FDragEnd = -1;
    } else {
        // From elsewhere: in at the mouse with the cursor after it, as if
        // typed there, so that typing on is undone with it.
        MoveCursor(at, false);
        Edit(at, at, text, TEditKind::ekTyping);
    }
    e->acceptProposedAction();
}

void TLineEdit::focusInEvent(QFocusEvent *e)
{
    const auto reason = e->reason();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::ShortcutFocusReason) &&
        !hasSelectedText())
        selectAll();
    FCursorVisible = true;
    StartBlinking(true);
    QWidget::focusInEvent(e);
    update();
}

void TLineEdit::focusOutEvent(QFocusEvent *e)
{
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        deselect();
    FCursorVisible = false;
    StartBlinking(false);
    QWidget::focusOutEvent(e);
    update();
}

void TLineEdit::StartBlinking(bool on)
{
    FBlinkTimer.stop();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (on && flash >= 2)
        FBlinkTimer.start(flash / 2, this);
    FBlinkOn = true;
    update(CursorRectangle());
}

void TLineEdit::timerEvent(QTimerEvent *e)
{
    if (e->timerId() == FBlinkTimer.timerId()) {
        // Only the cursor's few pixels are drawn again.
        FBlinkOn = !FBlinkOn;
        update(CursorRectangle());
    } else if (e->timerId() == FTripleClickTimer.timerId()) {
        FTripleClickTimer.stop();
    } else if (e->timerId() == FDragTimer.timerId()) {
        StartDrag();
    } else {
        QWidget::timerEvent(e);
    }
}

void TLineEdit::resizeEvent(QResizeEvent *e)
{
    ViewChanged(false);
    QWidget::resizeEvent(e);
}

void TLineEdit::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
        ViewChanged(true);
        updateGeometry();
        break;
    default:
        update();
        break;
    }
    QWidget::changeEvent(e);
}

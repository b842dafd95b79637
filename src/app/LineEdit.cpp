// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TLineEdit's text, selection, undo, clipboard and cursor moves. Keys, the
// input method and the context menu are in LineEditKeys.cpp, the slice on
// screen in LineEditView.cpp, the mouse and focus in LineEditMouse.cpp, the
// accessible text in LineEditAccessible.cpp.
#include "LineEdit.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>

#include <utility>

namespace {

bool isMark(QChar c)
{
    const auto cat = c.category();
    return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
           cat == QChar::Mark_Enclosing;
}

// What the word moves take for white space: the characters the edit shows as
// blanks (control characters are drawn as spaces) and the real ones.
bool isBlank(QChar c)
{
    return c.unicode() < 0x20 || c.isSpace();
}

bool isWordSeparator(QChar c)
{
    static const QString separators = QStringLiteral(".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\");
    return separators.contains(c);
}

// A key's text that the edit takes as typed text.
} // namespace

void TLineEdit::setText(const QString &text)
{
    commitPreedit();
    const qsizetype oldCursor = FCursor;
    const bool hadSelection = hasSelectedText();
    const QString removed = std::exchange(FText, text);
    FCursor = FAnchor = FText.size();
    FSteps.clear();
    FDone = 0;
    FMergeOpen = false;
    textEdited(0, removed, text);
    cursorMoved(oldCursor, hadSelection);
}

void TLineEdit::setCursorPosition(qsizetype position)
{
    moveCursor(std::clamp<qsizetype>(position, 0, FText.size()), false);
}

QString TLineEdit::selectedText() const
{
    return FText.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TLineEdit::setSelection(qsizetype start, qsizetype length)
{
    commitPreedit();
    const qsizetype oldCursor = FCursor;
    const qsizetype end = std::clamp<qsizetype>(start + length, 0, FText.size());
    start = std::clamp<qsizetype>(start, 0, FText.size());
    FAnchor = start;
    FCursor = end;
    if (length < 0)
        std::swap(FAnchor, FCursor);
    FMergeOpen = false;
    cursorMoved(oldCursor, true);
}

void TLineEdit::replace(qsizetype start, qsizetype end, const QString &text)
{
    commitPreedit();
    start = std::clamp<qsizetype>(start, 0, FText.size());
    edit(start, std::clamp<qsizetype>(end, start, FText.size()), text, skOther);
}

void TLineEdit::clear()
{
    replace(0, FText.size(), QString());
}

void TLineEdit::selectAll()
{
    setSelection(0, FText.size());
}

void TLineEdit::deselect()
{
    moveCursor(FCursor, false);
}

void TLineEdit::edit(qsizetype start, qsizetype end, const QString &text, int kind)
{
    if (start == end && text.isEmpty())
        return;
    FSteps.resize(FDone); // what was undone can no longer be redone
    TStep *last = FSteps.empty() ? nullptr : &FSteps.back();
    const bool follows = FMergeOpen && kind != skOther && last && last->Kind == kind;
    const QString removed = FText.mid(start, end - start);
    if (follows && kind == skTyping && removed.isEmpty() && start == last->Pos + last->HereLength)
        last->HereLength += text.size();
    else if (follows && kind == skBackspace && text.isEmpty() && end == last->Pos)
        last->Away.prepend(removed), last->Pos = start;
    else if (follows && kind == skDelete && text.isEmpty() && start == last->Pos)
        last->Away.append(removed);
    else
        FSteps.push_back({start, text.size(), removed, FCursor, FAnchor, kind});
    FDone = FSteps.size();
    FMergeOpen = kind != skOther;

    const qsizetype oldCursor = FCursor;
    const bool hadSelection = hasSelectedText();
    FText.replace(start, end - start, text);
    FCursor = FAnchor = start + text.size();
    textEdited(start, removed, text);
    cursorMoved(oldCursor, hadSelection);
}

void TLineEdit::swapStep(TStep &step)
{
    QString here = FText.mid(step.Pos, step.HereLength);
    FText.replace(step.Pos, step.HereLength, step.Away);
    textEdited(step.Pos, here, step.Away);
    step.HereLength = step.Away.size();
    step.Away = std::move(here);
}

void TLineEdit::undo()
{
    commitPreedit();
    if (!FDone)
        return;
    const qsizetype oldCursor = FCursor;
    TStep &step = FSteps[--FDone];
    swapStep(step);
    FCursor = step.CursorBefore;
    FAnchor = step.AnchorBefore;
    FMergeOpen = false;
    cursorMoved(oldCursor, true);
}

void TLineEdit::redo()
{
    commitPreedit();
    if (FDone == FSteps.size())
        return;
    const qsizetype oldCursor = FCursor;
    TStep &step = FSteps[FDone++];
    swapStep(step);
    FCursor = FAnchor = step.Pos + step.HereLength;
    FMergeOpen = false;
    cursorMoved(oldCursor, true);
}

// Every change of the text ends here: the slice on screen follows it.
void TLineEdit::textEdited(qsizetype pos, const QString &removed, const QString &inserted)
{
    const qsizetype gone = removed.size();
    if (pos < FSliceStart)
        FSliceStart = pos + gone <= FSliceStart ? FSliceStart - gone + inserted.size() : pos;
    viewChanged(true);
    if (QAccessible::isActive() && !removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, static_cast<int>(pos), removed);
        QAccessible::updateAccessibility(&event);
    }
    if (QAccessible::isActive() && !inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(this, static_cast<int>(pos), inserted);
        QAccessible::updateAccessibility(&event);
    }
    emit textChanged(FText);
}

void TLineEdit::moveCursor(qsizetype position, bool mark)
{
    commitPreedit();
    const qsizetype oldCursor = FCursor;
    const bool hadSelection = hasSelectedText();
    if (position != FCursor)
        FMergeOpen = false;
    FCursor = position;
    if (!mark)
        FAnchor = position;
    cursorMoved(oldCursor, mark || hadSelection);
}

void TLineEdit::cursorMoved(qsizetype oldCursor, bool selectionChanged)
{
    viewChanged(false);
    startBlinking(FCursorVisible);
    update();
    if (selectionChanged) {
        if (QAccessible::isActive()) {
            QAccessibleTextSelectionEvent event(this, static_cast<int>(selectionStart()),
                                                static_cast<int>(selectionEnd()));
            event.setCursorPosition(static_cast<int>(FCursor));
            QAccessible::updateAccessibility(&event);
        }
        emit this->selectionChanged();
    }
    if (oldCursor != FCursor) {
        if (QAccessible::isActive()) {
            QAccessibleTextCursorEvent event(this, static_cast<int>(FCursor));
            QAccessible::updateAccessibility(&event);
        }
        emit cursorPositionChanged(oldCursor, FCursor);
    }
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
}

void TLineEdit::removeSelection()
{
    if (hasSelectedText())
        edit(selectionStart(), selectionEnd(), QString(), skOther);
}

void TLineEdit::insertTyped(const QString &text, int kind)
{
    edit(selectionStart(), selectionEnd(), text, kind);
}

void TLineEdit::copyTo(int mode) const
{
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Mode(mode));
}

void TLineEdit::copy() const
{
    copyTo(QClipboard::Clipboard);
}

void TLineEdit::cut()
{
    if (!hasSelectedText())
        return;
    copy();
    removeSelection();
}

void TLineEdit::paste()
{
    const QString clip = QGuiApplication::clipboard()->text();
    if (!clip.isEmpty() || hasSelectedText()) {
        FMergeOpen = false; // a paste is a step of its own
        insertTyped(clip, skOther);
    }
}

qsizetype TLineEdit::nextPosition(qsizetype p, bool words) const
{
    const qsizetype n = FText.size();
    if (p >= n)
        return n;
    if (!words) {
        // The next character with its combining marks, as one.
        ++p;
        while (p < n && (FText[p].isLowSurrogate() || isMark(FText[p])))
            ++p;
        return p;
    }
    if (isWordSeparator(FText[p])) {
        while (p < n && isWordSeparator(FText[p]))
            ++p;
    } else {
        while (p < n && !isBlank(FText[p]) && !isWordSeparator(FText[p]))
            ++p;
    }
    while (p < n && isBlank(FText[p]))
        ++p;
    return p;
}

qsizetype TLineEdit::previousPosition(qsizetype p, bool words) const
{
    if (p <= 0)
        return 0;
    if (!words) {
        --p;
        while (p > 0 && (FText[p].isLowSurrogate() || isMark(FText[p])))
            --p;
        return p;
    }
    while (p > 0 && isBlank(FText[p - 1]))
        --p;
    if (p > 0 && isWordSeparator(FText[p - 1])) {
        while (p > 0 && isWordSeparator(FText[p - 1]))
            --p;
    } else {
        while (p > 0 && !isBlank(FText[p - 1]) && !isWordSeparator(FText[p - 1]))
            --p;
    }
    return p;
}

void TLineEdit::selectWordAt(qsizetype position)
{
    const qsizetype start = previousPosition(std::min(position + 1, FText.size()), true);
    qsizetype end = nextPosition(start, true);
    while (end > position && end > start && FText[end - 1].isSpace())
        --end;
    moveCursor(start, false);
    moveCursor(end, true);
}

// A position moved back to the start of its character, marks included.
qsizetype TLineEdit::snapped(qsizetype p) const
{
    for (int i = 0;
         i < 32 && p > 0 && p < FText.size() && (FText[p].isLowSurrogate() || isMark(FText[p]));
         ++i)
        --p;
    return p;
}

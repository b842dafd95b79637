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
#include <QTextBoundaryFinder>

#include <utility>

namespace {

bool IsMark(QChar c)
{
    const auto cat = c.category();
    return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining ||
           cat == QChar::Mark_Enclosing;
}

// What the word moves take for white space: the characters the edit shows as
// blanks (control characters and object replacement characters are drawn as
// spaces) and the real ones.
bool IsBlank(QChar c)
{
    return c.unicode() < 0x20 || c.isSpace() || c == QChar::ObjectReplacementCharacter;
}

bool IsWordSeparator(QChar c)
{
    static const QString separators = QStringLiteral(".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\");
    return separators.contains(c);
}

// The grapheme boundary after or before p, as the arrow keys step: an emoji
// sequence, a flag or a letter with its marks is one step. The finder looks
// at a window around p, widened until the boundary lies inside it.
qsizetype NextGrapheme(const QString &text, qsizetype p)
{
    const qsizetype n = text.size();
    for (qsizetype reach = 32;; reach *= 2) {
        const qsizetype end = std::min(n, p + reach);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData() + p, end - p);
        const qsizetype next = finder.toNextBoundary();
        if (next < 0 || (next == end - p && end < n))
            continue;
        return p + next;
    }
}

qsizetype PreviousGrapheme(const QString &text, qsizetype p)
{
    for (qsizetype reach = 32;; reach *= 2) {
        const qsizetype start = std::max<qsizetype>(0, p - reach);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData() + start,
                                   p - start);
        finder.toEnd();
        const qsizetype previous = finder.toPreviousBoundary();
        if (previous > 0 || start == 0)
            return start + std::max<qsizetype>(previous, 0);
    }
}
} // namespace

void TLineEdit::setText(const QString &text)
{
    CommitPreedit();
    const qsizetype oldCursor = FCursor;
    const QString removed = std::exchange(FText, text);
    FCursor = FAnchor = FText.size();
    FSteps.clear();
    FDone = 0;
    FMergeOpen = false;
    TextReplaced(0, removed, text);
    CursorMoved(oldCursor);
}

void TLineEdit::setCursorPosition(qsizetype position)
{
    MoveCursor(std::clamp<qsizetype>(position, 0, FText.size()), false);
}

QString TLineEdit::selectedText() const
{
    return FText.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TLineEdit::setSelection(qsizetype start, qsizetype length)
{
    CommitPreedit();
    const qsizetype oldCursor = FCursor;
    const qsizetype end = std::clamp<qsizetype>(start + length, 0, FText.size());
    start = std::clamp<qsizetype>(start, 0, FText.size());
    FAnchor = start;
    FCursor = end;
    if (length < 0)
        std::swap(FAnchor, FCursor);
    FMergeOpen = false;
    CursorMoved(oldCursor);
}

void TLineEdit::replace(qsizetype start, qsizetype end, const QString &text)
{
    CommitPreedit();
    start = std::clamp<qsizetype>(start, 0, FText.size());
    Edit(start, std::clamp<qsizetype>(end, start, FText.size()), text, TEditKind::ekOther);
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
    MoveCursor(FCursor, false);
}

void TLineEdit::Edit(qsizetype start, qsizetype end, const QString &text, TEditKind kind)
{
    if (start == end && text.isEmpty())
        return;
    FSteps.resize(FDone); // what was undone can no longer be redone
    TStep *last = FSteps.empty() ? nullptr : &FSteps.back();
    const bool follows = FMergeOpen && kind != TEditKind::ekOther && last && last->Kind == kind;
    const QString removed = FText.mid(start, end - start);
    if (follows && kind == TEditKind::ekTyping && removed.isEmpty() &&
        start == last->Pos + last->HereLength) {
        last->HereLength += text.size();
    } else if (follows && kind == TEditKind::ekBackspace && text.isEmpty() && end == last->Pos) {
        last->Away.prepend(removed);
        last->Pos = start;
    } else if (follows && kind == TEditKind::ekDelete && text.isEmpty() && start == last->Pos) {
        last->Away.append(removed);
    } else {
        FSteps.push_back({start, text.size(), removed, FCursor, FAnchor, kind});
    }
    FDone = FSteps.size();
    FMergeOpen = kind != TEditKind::ekOther;

    const qsizetype oldCursor = FCursor;
    FText.replace(start, end - start, text);
    FCursor = FAnchor = start + text.size();
    TextReplaced(start, removed, text);
    CursorMoved(oldCursor);
}

void TLineEdit::SwapStep(TStep &step)
{
    QString here = FText.mid(step.Pos, step.HereLength);
    FText.replace(step.Pos, step.HereLength, step.Away);
    TextReplaced(step.Pos, here, step.Away);
    step.HereLength = step.Away.size();
    step.Away = std::move(here);
}

void TLineEdit::undo()
{
    CommitPreedit();
    if (!FDone)
        return;
    const qsizetype oldCursor = FCursor;
    TStep &step = FSteps[--FDone];
    SwapStep(step);
    FCursor = step.CursorBefore;
    FAnchor = step.AnchorBefore;
    // Typing on continues the step before, as after any change.
    FMergeOpen = true;
    CursorMoved(oldCursor);
}

void TLineEdit::redo()
{
    CommitPreedit();
    if (FDone == FSteps.size())
        return;
    const qsizetype oldCursor = FCursor;
    TStep &step = FSteps[FDone++];
    SwapStep(step);
    // Where the next change began, the cursor and selection it found, or
    // after the change when none follows.
    if (FDone < FSteps.size()) {
        FCursor = FSteps[FDone].CursorBefore;
        FAnchor = FSteps[FDone].AnchorBefore;
    } else {
        FCursor = FAnchor = step.Pos + step.HereLength;
    }
    FMergeOpen = FDone == FSteps.size();
    CursorMoved(oldCursor);
}

// Every change of the text ends here: the slice on screen follows it.
void TLineEdit::TextReplaced(qsizetype pos, const QString &removed, const QString &inserted)
{
    const qsizetype gone = removed.size();
    if (pos < FSliceStart)
        FSliceStart = pos + gone <= FSliceStart ? FSliceStart - gone + inserted.size() : pos;
    ViewChanged(true);
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

void TLineEdit::MoveCursor(qsizetype position, bool mark)
{
    CommitPreedit();
    const qsizetype oldCursor = FCursor;
    if (position != FCursor)
        FMergeOpen = false;
    FCursor = position;
    if (!mark)
        FAnchor = position;
    CursorMoved(oldCursor);
}

void TLineEdit::CursorMoved(qsizetype oldCursor)
{
    ViewChanged(false);
    StartBlinking(FCursorVisible);
    update();
    // Told when the selection on screen changed, not at every move.
    const auto shown = hasSelectedText() ? std::pair(selectionStart(), selectionEnd())
                                         : std::pair<qsizetype, qsizetype>(0, 0);
    if (shown != FShownSelection) {
        FShownSelection = shown;
        if (QAccessible::isActive()) {
            QAccessibleTextSelectionEvent event(this, static_cast<int>(selectionStart()),
                                                static_cast<int>(selectionEnd()));
            event.setCursorPosition(static_cast<int>(FCursor));
            QAccessible::updateAccessibility(&event);
        }
        emit selectionChanged();
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

void TLineEdit::RemoveSelection()
{
    if (hasSelectedText())
        Edit(selectionStart(), selectionEnd(), QString(), TEditKind::ekOther);
}

void TLineEdit::InsertTyped(const QString &text, TEditKind kind)
{
    Edit(selectionStart(), selectionEnd(), text, kind);
}

void TLineEdit::CopyTo(QClipboard::Mode mode) const
{
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText(), mode);
}

void TLineEdit::copy() const
{
    CopyTo(QClipboard::Clipboard);
}

void TLineEdit::cut()
{
    if (!hasSelectedText())
        return;
    copy();
    RemoveSelection();
}

void TLineEdit::paste()
{
    const QString clip = QGuiApplication::clipboard()->text();
    if (!clip.isEmpty() || hasSelectedText()) {
        FMergeOpen = false; // a paste is a step of its own
        InsertTyped(clip, TEditKind::ekOther);
    }
}

qsizetype TLineEdit::NextPosition(qsizetype p, bool words) const
{
    const qsizetype n = FText.size();
    if (p >= n)
        return n;
    if (!words)
        return NextGrapheme(FText, p);
    if (IsWordSeparator(FText[p])) {
        while (p < n && IsWordSeparator(FText[p]))
            ++p;
    } else {
        while (p < n && !IsBlank(FText[p]) && !IsWordSeparator(FText[p]))
            ++p;
    }
    while (p < n && IsBlank(FText[p]))
        ++p;
    return p;
}

qsizetype TLineEdit::PreviousPosition(qsizetype p, bool words) const
{
    if (p <= 0)
        return 0;
    if (!words)
        return PreviousGrapheme(FText, p);
    while (p > 0 && IsBlank(FText[p - 1]))
        --p;
    if (p > 0 && IsWordSeparator(FText[p - 1])) {
        while (p > 0 && IsWordSeparator(FText[p - 1]))
            --p;
    } else {
        while (p > 0 && !IsBlank(FText[p - 1]) && !IsWordSeparator(FText[p - 1]))
            --p;
    }
    return p;
}

void TLineEdit::SelectWordAt(qsizetype position)
{
    const qsizetype start = PreviousPosition(std::min(position + 1, FText.size()), true);
    qsizetype end = NextPosition(start, true);
    while (end > position && end > start && FText[end - 1].isSpace())
        --end;
    setSelection(start, end - start);
}

// A position moved back to the start of its character, marks included.
qsizetype TLineEdit::Snapped(qsizetype p) const
{
    for (int i = 0;
         i < 32 && p > 0 && p < FText.size() && (FText[p].isLowSurrogate() || IsMark(FText[p]));
         ++i)
        --p;
    return p;
}

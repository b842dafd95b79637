// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TLineEdit's keys, input method and context menu.
#include "LineEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleHints>

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// A key's text that the edit takes as typed text.
bool isTypedText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    const QChar c = text.front();
    return c.isPrint() || c.category() == QChar::Other_Format ||
           c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

QString withShortcut(const char *text, QKeySequence::StandardKey key)
{
    QString label = QCoreApplication::translate("QLineEdit", text);
    if (key != QKeySequence::UnknownKey &&
        QGuiApplication::styleHints()->showShortcutsInContextMenus())
        label += QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
    return label;
}

} // namespace

// The keys of a single-line self. Returns false for a key it leaves to its
// window (Enter, Escape, Tab, unbound shortcuts).
bool TLineEdit::HandleKey(QKeyEvent *e)
{
    using K = QKeySequence;
    using Action = void (*)(TLineEdit &);
    // Removes the selection, or what a key marks from the cursor when there
    // is none.
    static const auto deleteTo = [](TLineEdit &self, qsizetype to, TEditKind kind) {
        if (self.hasSelectedText())
            self.Edit(self.selectionStart(), self.selectionEnd(), QString(), kind);
        else if (to != self.FCursor)
            self.Edit(std::min(to, self.FCursor), std::max(to, self.FCursor), QString(), kind);
    };
    // A move by a character or a word; an arrow without Shift first
    // collapses a selection to its end on that side.
    static const auto step = [](TLineEdit &self, bool forward, bool words, bool mark) {
        const qsizetype p = self.FCursor;
        if (!words && !mark && self.hasSelectedText())
            self.MoveCursor(forward ? self.selectionEnd() : self.selectionStart(), false);
        else
            self.MoveCursor(forward ? self.NextPosition(p, words) : self.PreviousPosition(p, words),
                            mark);
    };
    static const std::pair<K::StandardKey, Action> kKeys[] = {
        {K::Undo, [](TLineEdit &self) { self.undo(); }},
        {K::Redo, [](TLineEdit &self) { self.redo(); }},
        {K::SelectAll, [](TLineEdit &self) { self.selectAll(); }},
        {K::Copy, [](TLineEdit &self) { self.copy(); }},
        {K::Paste, [](TLineEdit &self) { self.paste(); }},
        {K::Cut, [](TLineEdit &self) { self.cut(); }},
        {K::DeleteEndOfLine,
         [](TLineEdit &self) {
             self.MoveCursor(self.FText.size(), true);
             self.copy();
             deleteTo(self, self.FCursor, TEditKind::ekOther);
         }},
        {K::MoveToStartOfLine, [](TLineEdit &self) { self.MoveCursor(0, false); }},
        {K::MoveToStartOfBlock, [](TLineEdit &self) { self.MoveCursor(0, false); }},
        {K::MoveToEndOfLine, [](TLineEdit &self) { self.MoveCursor(self.FText.size(), false); }},
        {K::MoveToEndOfBlock, [](TLineEdit &self) { self.MoveCursor(self.FText.size(), false); }},
        {K::SelectStartOfLine, [](TLineEdit &self) { self.MoveCursor(0, true); }},
        {K::SelectStartOfBlock, [](TLineEdit &self) { self.MoveCursor(0, true); }},
        {K::SelectEndOfLine, [](TLineEdit &self) { self.MoveCursor(self.FText.size(), true); }},
        {K::SelectEndOfBlock, [](TLineEdit &self) { self.MoveCursor(self.FText.size(), true); }},
        {K::MoveToNextChar, [](TLineEdit &self) { step(self, true, false, false); }},
        {K::SelectNextChar, [](TLineEdit &self) { step(self, true, false, true); }},
        {K::MoveToPreviousChar, [](TLineEdit &self) { step(self, false, false, false); }},
        {K::SelectPreviousChar, [](TLineEdit &self) { step(self, false, false, true); }},
        {K::MoveToNextWord, [](TLineEdit &self) { step(self, true, true, false); }},
        {K::MoveToPreviousWord, [](TLineEdit &self) { step(self, false, true, false); }},
        {K::SelectNextWord, [](TLineEdit &self) { step(self, true, true, true); }},
        {K::SelectPreviousWord, [](TLineEdit &self) { step(self, false, true, true); }},
        // A character cluster forward, so that an emoji goes whole.
        {K::Delete,
         [](TLineEdit &self) {
             deleteTo(self, self.NextPosition(self.FCursor, false), TEditKind::ekDelete);
         }},
        // With a selection, the word keys take only the selection, as a
        // multi-line edit does.
        {K::DeleteEndOfWord,
         [](TLineEdit &self) {
             deleteTo(self, self.NextPosition(self.FCursor, true), TEditKind::ekOther);
         }},
        {K::DeleteStartOfWord,
         [](TLineEdit &self) {
             deleteTo(self, self.PreviousPosition(self.FCursor, true), TEditKind::ekOther);
         }},
        {K::DeleteCompleteLine,
         [](TLineEdit &self) {
             self.selectAll();
             self.copy();
             deleteTo(self, self.FCursor, TEditKind::ekOther);
         }},
    };

    const auto mods = e->modifiers();
    if (e->matches(K::Paste) && e->key() == Qt::Key_Insert &&
        mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        // The selection clipboard, as X11 programs paste it from the keyboard.
        const QString clip = QGuiApplication::clipboard()->text(QClipboard::Selection);
        FMergeOpen = false;
        InsertTyped(clip, TEditKind::ekOther);
    } else if (const auto *bound = std::find_if(std::begin(kKeys), std::end(kKeys),
                                                [e](const auto &k) { return e->matches(k.first); });
               bound != std::end(kKeys)) {
        bound->second(*this);
    } else if (e->key() == Qt::Key_Backspace && (mods & Qt::ControlModifier)) {
        deleteTo(*this, PreviousPosition(FCursor, true), TEditKind::ekOther);
    } else if (e->key() == Qt::Key_Backspace) {
        // One code point back: a surrogate pair goes whole, a combining mark
        // or an emoji's modifier alone, so that a wrong accent can be taken
        // off its letter.
        qsizetype from = FCursor - (FCursor > 0 ? 1 : 0);
        if (from > 0 && FText[from].isLowSurrogate() && FText[from - 1].isHighSurrogate())
            --from;
        deleteTo(*this, from, TEditKind::ekBackspace);
    } else if (isTypedText(e)) {
        InsertTyped(e->text());
    } else {
        return false;
    }
    CopyTo(QClipboard::Selection);
    return true;
}

void TLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The window's default button takes it; a composition ends first.
        QGuiApplication::inputMethod()->commit();
        event->ignore();
        return;
    }
    if (HandleKey(event))
        event->accept();
    else
        event->ignore();
}

bool TLineEdit::event(QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys the edit uses itself are not taken by shortcuts elsewhere.
        auto *key = static_cast<QKeyEvent *>(e);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        using K = QKeySequence;
        for (auto k : {K::Copy, K::Paste, K::Cut, K::Undo, K::Redo, K::SelectAll, K::MoveToNextWord,
                       K::MoveToPreviousWord, K::SelectNextWord, K::SelectPreviousWord,
                       K::MoveToStartOfLine, K::MoveToEndOfLine, K::SelectStartOfLine,
                       K::SelectEndOfLine, K::DeleteCompleteLine}) {
            if (key->matches(k))
                key->accept();
        }
        if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) &&
            (key->key() < Qt::Key_Escape || key->key() == Qt::Key_Delete ||
             key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Home ||
             key->key() == Qt::Key_End || key->key() == Qt::Key_Left ||
             key->key() == Qt::Key_Right))
            key->accept();
    }
    return QWidget::event(e);
}

void TLineEdit::inputMethodEvent(QInputMethodEvent *e)
{
    // Input takes the selection away first, and the replacement and commit
    // then count from the cursor where it was. A commit is one undoable step
    // with that removal, so that an accent composed over a selection comes
    // undone with it.
    // Then the composition still under way, shown at the cursor but not
    // part of the text.
    const QString commit = e->commitString();
    const bool input =
        !commit.isEmpty() || e->preeditString() != FPreedit || e->replacementLength() > 0;
    if (input && hasSelectedText())
        Edit(selectionStart(), selectionEnd(), QString(), TEditKind::ekTyping);
    if (!commit.isEmpty() || e->replacementLength() > 0) {
        const qsizetype start =
            std::clamp<qsizetype>(FCursor + e->replacementStart(), 0, FText.size());
        const qsizetype end =
            std::clamp<qsizetype>(start + e->replacementLength(), start, FText.size());
        // A plain commit is typing at the place of the removal and merges
        // with it; a replacement takes text away, so it is a step of its own.
        Edit(start, end, commit, TEditKind::ekTyping);
        if (e->replacementLength() > 0) {
            // Undoing a replacement shows what it replaced, selected.
            FSteps.back().CursorBefore = start;
            FSteps.back().AnchorBefore = end;
        }
    }
    for (const QInputMethodEvent::Attribute &a : e->attributes()) {
        if (a.type == QInputMethodEvent::Selection) {
            const qsizetype start = std::clamp<qsizetype>(FImWindow + a.start, 0, FText.size());
            setSelection(start, a.length);
        }
    }
    FPreedit = e->preeditString();
    FPreeditCursor = static_cast<int>(FPreedit.size());
    FHideCursor = false;
    FPreeditFormats.clear();
    for (const QInputMethodEvent::Attribute &a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            FPreeditCursor = a.start;
            FHideCursor = !a.length;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (f.isValid())
                FPreeditFormats.append({a.start, a.length, f});
        }
    }
    ViewChanged(true);
    update();
}

void TLineEdit::CommitPreedit()
{
    if (FPreedit.isEmpty())
        return;
    QGuiApplication::inputMethod()->commit();
    FPreedit.clear();
    FPreeditFormats.clear();
    ViewChanged(true);
}

QMenu *TLineEdit::createStandardContextMenu()
{
    // The same entries, names and Greek texts as QLineEdit's own menu.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const auto add = [menu, this](const char *text, QKeySequence::StandardKey key, const char *name,
                                  const char *icon, bool enabled, std::function<void()> slot) {
        QAction *action = menu->addAction(withShortcut(text, key));
        action->setEnabled(enabled);
        action->setObjectName(QLatin1String(name));
        if (QIcon::hasThemeIcon(QLatin1String(icon)))
            action->setIcon(QIcon::fromTheme(QLatin1String(icon)));
        connect(action, &QAction::triggered, this, std::move(slot));
    };
    const bool selected = hasSelectedText();
    using K = QKeySequence;
    add("&Undo", K::Undo, "edit-undo", "edit-undo", isUndoAvailable(), [this] { undo(); });
    add("&Redo", K::Redo, "edit-redo", "edit-redo", isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", K::Cut, "edit-cut", "edit-cut", selected, [this] { cut(); });
    add("&Copy", K::Copy, "edit-copy", "edit-copy", selected, [this] { copy(); });
    add("&Paste", K::Paste, "edit-paste", "edit-paste",
        !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
    add("Delete", K::UnknownKey, "edit-delete", "edit-delete", selected,
        [this] { RemoveSelection(); });
    menu->addSeparator();
    add("Select All", K::SelectAll, "select-all", "edit-select-all",
        !FText.isEmpty() && selectionEnd() - selectionStart() < FText.size(),
        [this] { selectAll(); });
    return menu;
}

void TLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

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
#include <QMimeData>
#include <QStyleHints>

#include <functional>

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

// The keys of a single-line edit. Returns false for a key it leaves to its
// window (Enter, Escape, Tab, unbound shortcuts).
bool TLineEdit::handleKey(QKeyEvent *e)
{
    using K = QKeySequence;
    const auto back = [this](bool words, bool mark) {
        moveCursor(previousPosition(FCursor, words), mark);
    };
    const auto forward = [this](bool words, bool mark) {
        moveCursor(nextPosition(FCursor, words), mark);
    };
    const auto deleteMarked = [this](int kind) {
        if (hasSelectedText())
            edit(selectionStart(), selectionEnd(), QString(), kind);
    };
    if (e->matches(K::Undo))
        undo();
    else if (e->matches(K::Redo))
        redo();
    else if (e->matches(K::SelectAll))
        selectAll();
    else if (e->matches(K::Copy))
        copy();
    else if (e->matches(K::Paste)) {
        if (e->key() == Qt::Key_Insert &&
            e->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
            const QString clip = QGuiApplication::clipboard()->text(QClipboard::Selection);
            FMergeOpen = false;
            insertTyped(clip, skOther);
        } else {
            paste();
        }
    } else if (e->matches(K::Cut))
        cut();
    else if (e->matches(K::DeleteEndOfLine)) {
        moveCursor(FText.size(), true);
        copy();
        deleteMarked(skOther);
    } else if (e->matches(K::MoveToStartOfLine) || e->matches(K::MoveToStartOfBlock))
        moveCursor(0, false);
    else if (e->matches(K::MoveToEndOfLine) || e->matches(K::MoveToEndOfBlock))
        moveCursor(FText.size(), false);
    else if (e->matches(K::SelectStartOfLine) || e->matches(K::SelectStartOfBlock))
        moveCursor(0, true);
    else if (e->matches(K::SelectEndOfLine) || e->matches(K::SelectEndOfBlock))
        moveCursor(FText.size(), true);
    else if (e->matches(K::MoveToNextChar)) {
        if (hasSelectedText())
            moveCursor(selectionEnd(), false);
        else
            forward(false, false);
    } else if (e->matches(K::SelectNextChar))
        forward(false, true);
    else if (e->matches(K::MoveToPreviousChar)) {
        if (hasSelectedText())
            moveCursor(selectionStart(), false);
        else
            back(false, false);
    } else if (e->matches(K::SelectPreviousChar))
        back(false, true);
    else if (e->matches(K::MoveToNextWord))
        forward(true, false);
    else if (e->matches(K::MoveToPreviousWord))
        back(true, false);
    else if (e->matches(K::SelectNextWord))
        forward(true, true);
    else if (e->matches(K::SelectPreviousWord))
        back(true, true);
    else if (e->matches(K::Delete)) {
        if (!hasSelectedText())
            FAnchor = nextPosition(FCursor, false);
        deleteMarked(skDelete);
    } else if (e->matches(K::DeleteEndOfWord)) {
        if (!hasSelectedText())
            forward(true, true);
        deleteMarked(skOther);
    } else if (e->matches(K::DeleteStartOfWord) ||
               (e->key() == Qt::Key_Backspace && (e->modifiers() & Qt::ControlModifier))) {
        if (!hasSelectedText())
            back(true, true);
        deleteMarked(skOther);
    } else if (e->matches(K::DeleteCompleteLine)) {
        selectAll();
        copy();
        deleteMarked(skOther);
    } else if (e->key() == Qt::Key_Backspace) {
        // One character back; a surrogate pair goes whole, a combining mark
        // alone, so that a wrong accent can be taken off its letter.
        if (!hasSelectedText() && FCursor > 0) {
            FAnchor = FCursor - 1;
            if (FAnchor > 0 && FText[FAnchor].isLowSurrogate() &&
                FText[FAnchor - 1].isHighSurrogate())
                --FAnchor;
        }
        deleteMarked(skBackspace);
    } else if (isTypedText(e))
        insertTyped(e->text());
    else
        return false;
    copyTo(QClipboard::Selection);
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
    if (handleKey(event))
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
    // Replacement and commit first, at the cursor; then the composition
    // still under way, shown at the cursor but not part of the text.
    const QString commit = e->commitString();
    if (!commit.isEmpty() || e->replacementLength() > 0) {
        qsizetype start = selectionStart(), end = selectionEnd();
        if (e->replacementLength() > 0 || e->replacementStart() != 0) {
            start = std::clamp<qsizetype>(FCursor + e->replacementStart(), 0, FText.size());
            end = std::clamp<qsizetype>(start + e->replacementLength(), start, FText.size());
        }
        edit(start, end, commit, skTyping);
    } else if (e->preeditString() != FPreedit && hasSelectedText()) {
        removeSelection();
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
    viewChanged(true);
    update();
}

void TLineEdit::commitPreedit()
{
    if (FPreedit.isEmpty())
        return;
    QGuiApplication::inputMethod()->commit();
    FPreedit.clear();
    FPreeditFormats.clear();
    viewChanged(true);
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
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    using K = QKeySequence;
    add("&Undo", K::Undo, "edit-undo", "edit-undo", isUndoAvailable(), [this] { undo(); });
    add("&Redo", K::Redo, "edit-redo", "edit-redo", isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", K::Cut, "edit-cut", "edit-cut", selected, [this] { cut(); });
    add("&Copy", K::Copy, "edit-copy", "edit-copy", selected, [this] { copy(); });
    // Whether there is text to paste, without fetching all of it.
    add("&Paste", K::Paste, "edit-paste", "edit-paste", clip && clip->hasText(),
        [this] { paste(); });
    add("Delete", K::UnknownKey, "edit-delete", "edit-delete", selected,
        [this] { removeSelection(); });
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

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A QLineEdit and a TLineEdit side by side, with the main window's font and
// size, driven by the same user actions: the standard edit is the
// expectation for ours, so no test writes the expected text, cursor or
// selection by hand.
#pragma once

#include "LineEdit.h"

#include <QLineEdit>
#include <QStringList>

#include <memory>

class TSideBySide
{
public:
    TSideBySide();
    ~TSideBySide();

    QLineEdit *Standard() const { return m_standard; }
    TLineEdit *Ours() const { return m_ours; }

    // Runs one action on both edits. An action is a key sequence in
    // QKeySequence's portable text ("Ctrl+Z", "Shift+Home", "Backspace") or
    // one of:
    //   type:TEXT       each character as a key press carrying it
    //   paste:TEXT      TEXT on the clipboard, then Ctrl+V
    //   clip:TEXT       TEXT on the clipboard only
    //   at:N            the cursor put at N
    //   select:S,L      setSelection(S, L)
    //   preedit:TEXT    an input method's composition
    //   imselect:S,L    an input method's selection of L characters from S
    //   commit:TEXT[,S,L] an input method's commit, replacing L characters
    //                   from S relative to the cursor
    //   drop:N,TEXT     TEXT dropped from another program at character N
    //   click:N, dclick:N, shiftclick:N  the mouse on character N
    //   accessible:S,L,TEXT  an assistive tool replaces L characters at S
    void Run(const QString &action);

    // What a user can tell of each edit: text, cursor, selection, undo and
    // redo, the context menu.
    QString StateOfStandard() const;
    QString StateOfOurs() const;
    // How often the last action told of a change of ours' selection.
    int SelectionChangesOfOurs() const { return m_selectionChangesOfOurs; }

private:
    template <typename Edit> void Apply(Edit *edit, const QString &action);
    template <typename Edit> QString State(Edit *edit) const;

    std::unique_ptr<QWidget> m_host;
    QLineEdit *m_standard = nullptr;
    TLineEdit *m_ours = nullptr;
    int m_selectionChangesOfOurs = 0;
};

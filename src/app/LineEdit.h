// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A single-line edit whose cost follows what is on screen, not what it holds.
//
// QLineEdit lays out and draws its whole text on every change, repaint and
// cursor blink, and keeps glyph tables ten times the text's own size: with a
// pasted book the window freezes. TLineEdit keeps the text as one QString and
// lays out only a slice of it, the characters on screen with a margin of
// about a screen's width either side. The view is the slice's first
// character and a scroll offset within the slice; when an edit, a cursor move
// or a resize leaves the margin, the slice is cut again around the character
// at the left edge or around the cursor. A text of up to kWholeLayout
// characters is laid out whole, so that short texts are laid out, scrolled
// and drawn exactly as a QLineEdit does it.
//
// Everything else works on the whole text but reads only what it needs: word
// and character moves scan from the cursor, undo keeps only the text that is
// not in the edit, and the input method and the accessible text interface
// see a window around the cursor or the offsets asked for.
//
// It behaves as a QLineEdit does, key for key, with these departures on
// purpose:
// - Ctrl+Backspace and Ctrl+Delete with a selection held delete just the
//   selection, as a QTextEdit does; a QLineEdit first extends the selection
//   by a word, so that with "alp" selected backwards Ctrl+Delete keeps it and
//   deletes the next word.
// - A redo leaves the cursor where the next change began. Qt 6.4 records
//   that place one character late for typing and pastes and one early for
//   Backspace, past the end of the text at the end of a line.
// - The selection changes that assistive technologies hear of are the ones
//   on screen, undo included.
// - Character boxes for assistive technologies lie where the characters are
//   drawn, frame, margins and scrolling included.
#pragma once

#include <QBasicTimer>
#include <QClipboard>
#include <QPoint>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

class QMenu;
class QStyleOptionFrame;

class TLineEdit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)

public:
    // Texts up to this length are laid out whole.
    static constexpr qsizetype kWholeLayout = 4096;

    explicit TLineEdit(QWidget *parent = nullptr);
    ~TLineEdit() override;

    QString text() const { return FText; }
    void setText(const QString &text);
    qsizetype cursorPosition() const { return FCursor; }
    void setCursorPosition(qsizetype position);
    bool hasSelectedText() const { return FAnchor != FCursor; }
    qsizetype selectionStart() const { return std::min(FAnchor, FCursor); }
    qsizetype selectionEnd() const { return std::max(FAnchor, FCursor); }
    QString selectedText() const;
    // Selects from start to start + length; a negative length ends the
    // cursor at the start.
    void setSelection(qsizetype start, qsizetype length);
    bool isUndoAvailable() const { return FDone > 0; }
    bool isRedoAvailable() const { return FDone < FSteps.size(); }
    // Whether a selection can be dragged out with the mouse; off, as in a
    // QLineEdit, so that pressing in a selection starts a new one. Text can
    // always be dropped in.
    bool dragEnabled() const { return FDragEnabled; }
    void setDragEnabled(bool enabled) { FDragEnabled = enabled; }
    // Replaces [start, end) with text as one undoable step.
    void replace(qsizetype start, qsizetype end, const QString &text);

    QMenu *createStandardContextMenu();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // Where a character of the text is on screen, in this widget's
    // coordinates: empty when it is not laid out (far off screen).
    QRect CharacterRect(qsizetype position) const;
    // The position at x in this widget's coordinates, as a click puts it.
    qsizetype PositionAt(int x, bool onCharacter = false) const;
    // The position after or before the one given, by characters or words,
    // as the arrow keys move.
    qsizetype NextPosition(qsizetype position, bool words) const;
    qsizetype PreviousPosition(qsizetype position, bool words) const;

public slots:
    void clear();
    void selectAll();
    void deselect();
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();

signals:
    void textChanged(const QString &text);
    void cursorPositionChanged(qsizetype oldPosition, qsizetype newPosition);
    void selectionChanged();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class TEditKind
    {
        ekOther,
        ekTyping,
        ekBackspace,
        ekDelete
    };
    // One undoable change: at Pos, HereLength characters now in the text
    // replaced Away, which is no longer in it. Undoing swaps the two.
    struct TStep
    {
        qsizetype Pos;
        qsizetype HereLength;
        QString Away;
        qsizetype CursorBefore, AnchorBefore;
        TEditKind Kind; // steps of the same kind that follow on merge (typing)
    };

    // --- text and selection (LineEdit.cpp)
    // Replaces [start, end) with text as an undoable step; typing, Backspace
    // and Delete that follow on a step of their own kind merge with it.
    void Edit(qsizetype start, qsizetype end, const QString &text, TEditKind kind);
    void SwapStep(TStep &step);
    void TextReplaced(qsizetype pos, const QString &removed, const QString &inserted);
    void MoveCursor(qsizetype position, bool mark);
    void CursorMoved(qsizetype oldCursor);
    void RemoveSelection();
    void InsertTyped(const QString &text, TEditKind kind = TEditKind::ekTyping);
    void CopyTo(QClipboard::Mode mode) const;
    void SelectWordAt(qsizetype position);

    // --- keys and the input method (LineEditKeys.cpp)
    bool HandleKey(QKeyEvent *event);
    void CommitPreedit();

    // --- the laid-out slice and the view (LineEditView.cpp)
    void initStyleOption(QStyleOptionFrame *option) const;
    QRect ContentsRectForText() const;
    QRect LineRect() const;
    QPoint TextOrigin() const;
    QRect CursorRectangle() const;
    void ViewChanged(bool relayout);
    void EnsureView() const;
    void LayoutSlice(qsizetype start, qsizetype end) const;
    void LayoutAround(qsizetype position, int before, int after) const;
    qsizetype Snapped(qsizetype position) const; // LineEdit.cpp
    int SliceX(qsizetype position) const;

    // --- the cursor's blink and dragging out (LineEditMouse.cpp)
    void StartBlinking(bool on);
    void StartDrag();

    QString FText;
    qsizetype FCursor = 0;
    qsizetype FAnchor = 0;
    std::pair<qsizetype, qsizetype> FShownSelection{0, 0}; // as last told
    std::vector<TStep> FSteps;
    std::size_t FDone = 0; // steps applied; those after are undone
    bool FMergeOpen = false;

    QString FPreedit;
    int FPreeditCursor = 0;
    bool FHideCursor = false;
    QList<QTextLayout::FormatRange> FPreeditFormats;
    mutable qsizetype FImWindow = 0; // start of the text last shown to the input method

    // The slice [FSliceStart, FSliceEnd) laid out in FLayout, and the left
    // edge of the view in the slice's x coordinates.
    mutable QTextLayout FLayout;
    mutable qsizetype FSliceStart = 0;
    mutable qsizetype FSliceEnd = 0;
    mutable int FHScroll = 0;
    mutable int FAscent = 0;
    mutable int FTextHeight = 0;
    mutable bool FLayoutDirty = true;
    mutable bool FViewDirty = true;

    bool FCursorVisible = false;
    bool FBlinkOn = true;
    QBasicTimer FBlinkTimer;
    QBasicTimer FTripleClickTimer;
    QBasicTimer FDragTimer;
    QPoint FTripleClickPos;
    QPoint FPressPos;
    bool FDragEnabled = false;
    qsizetype FDragStart = -1, FDragEnd = -1; // text being dragged out of here
};

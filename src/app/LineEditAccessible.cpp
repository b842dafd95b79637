// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TLineEdit to assistive technologies: an editable text, as a QLineEdit is,
// whose offsets are read where they are asked for. Qt's default answers for
// words and sentences copy and scan the whole text on every question; these
// look only around the offset.
#include "Accessibility.h"
#include "LineEdit.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>

namespace {

class TLineEditAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface
{
public:
    explicit TLineEditAccessible(TLineEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
    }

    TLineEdit *edit() const { return static_cast<TLineEdit *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.selectableText = true;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // --- QAccessibleTextInterface
    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelectedText()) {
            *start = static_cast<int>(edit()->selectionStart());
            *end = static_cast<int>(edit()->selectionEnd());
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            edit()->deselect();
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            edit()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return static_cast<int>(edit()->cursorPosition()); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override
    {
        const QString &all = edit()->text();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = std::clamp(end, start, static_cast<int>(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QRect r = edit()->CharacterRect(offset);
        return r.isEmpty() ? r : QRect(edit()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        // Beside the edit, its nearer end.
        return static_cast<int>(edit()->PositionAt(edit()->mapFromGlobal(point).x()));
    }
    void scrollToSubstring(int start, int end) override
    {
        edit()->setCursorPosition(end);
        edit()->setCursorPosition(start);
    }
    QString attributes(int offset, int *start, int *end) const override
    {
        *start = *end = offset;
        return QString();
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                         int *end) const override;
    // The conventions of Qt's own edit: -1 is the end, -2 the cursor.
    int Resolved(int offset) const
    {
        if (offset == -1)
            return characterCount();
        return offset == -2 ? cursorPosition() : offset;
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                             int *end) const override
    {
        offset = Resolved(offset);
        textAtOffset(offset, type, start, end);
        if (*start < 0 && offset == characterCount() && offset > 0) // no character at the end
            return textAtOffset(offset - 1, type, start, end);
        if (*start <= 0) {
            *start = *end = -1;
            return QString();
        }
        return textAtOffset(*start - 1, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                            int *end) const override
    {
        textAtOffset(Resolved(offset), type, start, end);
        if (*end < 0 || *end >= characterCount()) {
            *start = *end = -1;
            return QString();
        }
        return textAtOffset(*end, type, start, end);
    }

    // --- QAccessibleEditableTextInterface
    // A tool's change sets the whole text, as a QLineEdit takes it: the
    // cursor goes to the end and there is nothing to undo.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString &text) override
    {
        QString all = edit()->text();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = std::clamp(end, start, static_cast<int>(all.size()));
        edit()->setText(all.replace(start, end - start, text));
    }
};

QString TLineEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                          int *start, int *end) const
{
    const QString &all = edit()->text();
    const int n = static_cast<int>(all.size());
    *start = *end = -1;
    offset = Resolved(offset);
    // At the end there is no character, but there may be a word or sentence
    // that ends there.
    if (offset < 0 || offset > n || n == 0 || (offset == n && type == QAccessible::CharBoundary))
        return QString();
    QTextBoundaryFinder::BoundaryType finderType;
    switch (type) {
    case QAccessible::CharBoundary:
        finderType = QTextBoundaryFinder::Grapheme;
        break;
    case QAccessible::WordBoundary:
        finderType = QTextBoundaryFinder::Word;
        break;
    case QAccessible::SentenceBoundary:
        finderType = QTextBoundaryFinder::Sentence;
        break;
    default: // a line, a paragraph, everything: the one line
        *start = 0;
        *end = n;
        return all;
    }
    // Look in a window around the offset, wider until the item found lies
    // inside it or the window is the whole text.
    for (int reach = 256;; reach *= 2) {
        const int from = std::max(0, offset - reach), to = std::min(n, offset + reach);
        const QString part = all.mid(from, to - from);
        QTextBoundaryFinder finder(finderType, part);
        finder.setPosition(offset - from);
        const auto items = QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem;
        if (!finder.isAtBoundary() || !(finder.boundaryReasons() & items)) {
            while (finder.toPreviousBoundary() > 0 && !(finder.boundaryReasons() & items)) {
            }
        }
        const int s = std::max<qsizetype>(finder.position(), 0);
        while (finder.toNextBoundary() > 0 && finder.position() < part.size() &&
               !(finder.boundaryReasons() & items)) {
        }
        const int e = finder.position() < 0 ? static_cast<int>(part.size())
                                            : static_cast<int>(finder.position());
        if ((s > 0 || from == 0) && (e < part.size() || to == n)) {
            *start = from + s;
            *end = from + e;
            return all.mid(*start, *end - *start);
        }
    }
}

QAccessibleInterface *LineEditFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TLineEdit") && object && object->isWidgetType())
        return new TLineEditAccessible(static_cast<TLineEdit *>(object));
    return nullptr;
}

} // namespace

void InstallLineEditAccessibility()
{
    QAccessible::installFactory(LineEditFactory);
}

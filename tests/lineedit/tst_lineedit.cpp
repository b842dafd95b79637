// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's edit, TLineEdit: beside a QLineEdit for everything a short
// text shows, and alone for the long texts a QLineEdit cannot hold.
#include "GuiTest.h"
#include "LineEdit.h"
#include "SideBySide.h"

#include <QAccessible>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRegularExpression>

#include <memory>
#include <optional>

class TestLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sideBySide_data();
    void sideBySide();
    void accessibleTextSideBySide_data();
    void accessibleTextSideBySide();

    // A million characters, which a QLineEdit cannot hold and stay usable,
    // against what the line itself says.
    void selectionAcrossTheVisibleEdge_data();
    void selectionAcrossTheVisibleEdge();
    void undoAfterPaste_data();
    void undoAfterPaste();
    void deadKeys_data();
    void deadKeys();
    void copyFarOffScreen_data();
    void copyFarOffScreen();
    void accessibleTextOfALongLine_data();
    void accessibleTextOfALongLine();
    void cursorMovesOverALongLine_data();
    void cursorMovesOverALongLine();
    void mouseSelectsWordAndLine_data();
    void mouseSelectsWordAndLine();
    void dropFromAnotherProgram_data();
    void dropFromAnotherProgram();

private:
    TLineEdit *edit() const { return m_pair->Ours(); }
    void type(const QString &text) { m_pair->Run(QStringLiteral("type:") + text); }
    void pasteText(const QString &text) { m_pair->Run(QStringLiteral("paste:") + text); }
    void keys(std::initializer_list<QKeyCombination> combinations, int times = 1);

    std::unique_ptr<TSideBySide> m_pair;
};

void TestLineEdit::init()
{
    m_pair = std::make_unique<TSideBySide>();
}

void TestLineEdit::cleanup()
{
    m_pair.reset();
    QGuiApplication::clipboard()->clear();
}

void TestLineEdit::keys(std::initializer_list<QKeyCombination> combinations, int times)
{
    for (int i = 0; i < times; ++i) {
        for (const QKeyCombination k : combinations)
            QTest::keyClick(edit(), k.key(), k.keyboardModifiers());
    }
}

namespace {

// A line of five-letter words: each word move goes six characters on.
QString words(qsizetype length)
{
    const QString word = QStringLiteral("ΛΟΓΟΣ ");
    QString text;
    text.reserve(length + word.size());
    while (text.size() < length)
        text += word;
    text.truncate(length);
    return text;
}

constexpr int kLong = 1'000'000;

} // namespace

void TestLineEdit::sideBySide_data()
{
    // Actions as TSideBySide::Run takes them; "KEY*N" presses a key N times.
    // After an action marked "~" only the texts are compared: a redo puts
    // the cursor where the next change began, which Qt 6.4's edit records
    // one character late when that change was typed or pasted and one early
    // for Backspace (past the end of the text, at the end of a line).
    QTest::addColumn<QStringList>("actions");
    const auto row = [](const char *name, QStringList actions) { QTest::newRow(name) << actions; };
    row("undo after Backspace, then typing", {"type:abc", "Backspace", "Ctrl+Z", "type:d"});
    row("undo after Delete, then typing", {"type:abc", "Home", "Delete", "Ctrl+Z", "type:x"});
    row("undo of several Backspaces",
        {"type:αβγδ", "Backspace*3", "Ctrl+Z", "type:x", "Ctrl+Z", "Ctrl+Shift+Z"});
    row("undo and redo of typing, a move and a deletion",
        {"type:abcdefg", "Left*3", "Delete", "End", "Backspace", "Backspace", "Ctrl+Z*3",
         "Ctrl+Shift+Z", "Ctrl+Shift+Z~", "Ctrl+Z", "Ctrl+Shift+Z~", "Ctrl+Shift+Z*2"});
    row("undo and redo with typing between moves",
        {"type:abcdefg", "Left*3", "type:XY", "End", "Backspace", "Ctrl+Z*3", "Ctrl+Shift+Z~",
         "Ctrl+Shift+Z~", "Ctrl+Shift+Z", "Ctrl+Z", "type:Q"});
    row("undo and redo of a deletion after select all",
        {"type:alpha beta", "Ctrl+A", "Delete", "Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+Z", "type:x"});
    row("typing over a selection undone",
        {"type:alpha beta", "Shift+Home", "type:xy", "Ctrl+Z", "type:z", "Ctrl+Z", "Ctrl+Shift+Z"});
    row("a drop from another program",
        {"paste:alpha beta", "drop:6,ΠΗΓΗ source", "type:x", "Ctrl+Z", "Ctrl+Z", "type:y"});
    row("a drop onto a selection", {"paste:alpha beta", "Shift+Left*3", "drop:2,ΠΗΓΗ", "Ctrl+Z"});
    const QString emoji =
        QStringLiteral("a𝛂b😀c👍🏽d👨‍👩‍👧e🇬🇷f1️⃣g");
    row("emoji stepped through", {"paste:" + emoji, "Home", "Right*13", "Left*13"});
    row("emoji selected by characters", {"paste:" + emoji, "Home", "Shift+Right*8"});
    row("emoji deleted",
        {"paste:" + emoji, "at:7", "Delete", "at:8", "Delete", "Delete", "Delete", "Ctrl+Z*2"});
    row("emoji taken back a code point at a time", {"paste:" + emoji, "at:11", "Backspace*3"});
    row("accented letter over a selection by an input method",
        {"type:αβγ δεζ ηθι", "Shift+Home", "preedit:΄", "commit:ή", "Ctrl+Z", "Ctrl+Shift+Z"});
    row("input method moving the cursor",
        {"type:αβγ", "imselect:1,0", "imselect:0,2", "imselect:2,0", "imselect:3,0", "commit:δ"});
    row("input method replacement over a selection",
        {"type:abcdef", "select:4,2", "commit:X,-1,1", "Ctrl+Z"});
    row("input method replacing the letter before the cursor",
        {"type:ΑΓΑΠΗ", "commit:Ή,-1,1", "type:Σ", "Ctrl+Z"});
    row("paste greyed for an empty clipboard", {"type:ab", "clip:", "clip:x", "select:0,1"});
    row("object replacement character",
        {QStringLiteral("paste:ab\uFFFCcd ef"), "Home", "Ctrl+Right*3", "Ctrl+Left*2"});
    // The rest of the edit's behaviour, as the window tests drive it.
    row("words on over punctuation", {"paste:ΛΟΓΟΣ, ΛΟΓΟΣ", "Home", "Ctrl+Right*2", "type:Ω"});
    row("words back, and selected",
        {"paste:ΑΓΑΠΗ ΛΟΓΟΣ. ΦΩΣ", "Ctrl+Left*2", "Ctrl+Shift+Left", "Ctrl+Shift+Right*2"});
    row("over a combining accent",
        {QStringLiteral("paste:α\u0301β"), "Home", "Right", "type:Ω", "Backspace*2"});
    row("back over a surrogate pair", {"paste:α𝛂β", "Left*2", "type:Ω"});
    row("selection by characters and words, copied and typed over",
        {"paste:ΛΟΓΟΣ ΛΟΓΟΣ", "Home", "Shift+Right*4", "Ctrl+Shift+Right", "Ctrl+C", "End",
         "Ctrl+V", "Home", "Shift+End", "type:Ω"});
    row("cut and paste back",
        {"paste:ΛΟΓΟΣ ΦΩΣ", "at:6", "Shift+End", "Ctrl+X", "Home", "Ctrl+V", "Ctrl+Z", "Ctrl+Z"});
    row("paste undone and redone", {"paste:ΑΓΑΠΗ", "paste:ΛΟΓΟΣ", "type:ΩΩΩ", "Ctrl+Z*3",
                                    "Ctrl+Shift+Z~", "Ctrl+Shift+Z~", "Ctrl+Shift+Z", "Ctrl+Z*3"});
    row("dead key composed", {"paste:ΑΓΑΠΗ ", "preedit:΄", "commit:ά", "Ctrl+Z"});
    row("mouse click, shift click, double click",
        {"paste:ΑΓΑΠΗ ΛΟΓΟΣ ΦΩΣ", "click:2", "shiftclick:9", "dclick:8", "type:Ω"});
    row("accessible tool replaces text",
        {"paste:ΑΓΑΠΗ ΛΟΓΟΣ", "at:2", "accessible:6,5,ΦΩΣ", "type:Ω", "Ctrl+Z"});
    row("accessible tool inserts text", {"type:ab", "accessible:1,0,Ω", "Ctrl+Z"});
}

void TestLineEdit::sideBySide()
{
    QFETCH(QStringList, actions);
    static const QRegularExpression repeated(QStringLiteral("^([^:]+)\\*(\\d+)$"));
    for (QString action : actions) {
        const bool textOnly = action.endsWith(u'~');
        if (textOnly)
            action.chop(1);
        const auto match = repeated.match(action);
        const int times = match.hasMatch() ? match.captured(2).toInt() : 1;
        for (int i = 0; i < times; ++i) {
            const auto selection = [this] {
                return edit()->hasSelectedText()
                           ? edit()->selectedText().size() * 1000'000 + edit()->selectionStart()
                           : -1;
            };
            const qsizetype selectionBefore = selection();
            m_pair->Run(match.hasMatch() ? match.captured(1) : action);
            // Assistive technologies hear of each change of the selection,
            // once, and of nothing else. (Qt 6.4's edit keeps still when an
            // undo brings a selection back, and speaks of the selection it
            // makes inside an input method's replacement.)
            QCOMPARE(m_pair->SelectionChangesOfOurs(), int(selection() != selectionBefore));
            const QString after = QStringLiteral("after %1 (%2): ").arg(action).arg(i + 1);
            if (textOnly)
                QCOMPARE(m_pair->Ours()->text(), m_pair->Standard()->text());
            else
                QCOMPARE(after + m_pair->StateOfOurs(), after + m_pair->StateOfStandard());
        }
    }
}

void TestLineEdit::accessibleTextSideBySide_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("Greek words") << QStringLiteral("Η ΑΓΑΠΗ, ΛΟΓΟΣ. ΦΩΣ! α\u0301β");
    QTest::newRow("emoji") << QStringLiteral(
        "a𝛂b😀c👍🏽d👨‍👩‍👧e🇬🇷f1️⃣g");
    QTest::newRow("one letter") << QStringLiteral("Ω");
    QTest::newRow("spaces around") << QStringLiteral("  ΑΓΑΠΗ  ");
}

void TestLineEdit::accessibleTextSideBySide()
{
    QFETCH(QString, text);
    pasteText(text);
    const auto interfaceOf = [](QWidget *w) {
        return QAccessible::queryAccessibleInterface(w)->textInterface();
    };
    QAccessibleTextInterface *standard = interfaceOf(m_pair->Standard());
    QAccessibleTextInterface *ours = interfaceOf(m_pair->Ours());
    using B = QAccessible::TextBoundaryType;
    using Query = QString (QAccessibleTextInterface::*)(int, B, int *, int *) const;
    const std::pair<const char *, Query> queries[] = {
        {"at", &QAccessibleTextInterface::textAtOffset},
        {"before", &QAccessibleTextInterface::textBeforeOffset},
        {"after", &QAccessibleTextInterface::textAfterOffset}};
    const int n = static_cast<int>(text.size());
    for (const B boundary :
         {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
          QAccessible::LineBoundary, QAccessible::NoBoundary}) {
        for (const auto &[name, query] : queries) {
            for (int offset = -2; offset <= n + 1; ++offset) {
                const auto answer = [&](QAccessibleTextInterface *i) {
                    int start = -2, end = -2;
                    const QString t = (i->*query)(offset, boundary, &start, &end);
                    return QStringLiteral("%1 %2, boundary %3: \"%4\" %5-%6")
                        .arg(QLatin1String(name), QString::number(offset),
                             QString::number(boundary), t, QString::number(start),
                             QString::number(end));
                };
                // Qt 6.4's edit never returns from a word or sentence asked
                // for at or past an end of its text (unless a word starts
                // there): ours must answer with an item inside the text.
                const int at = offset == -1 || offset == -2 ? n : offset;
                if ((at <= 0 || at >= n) && (boundary == QAccessible::WordBoundary ||
                                             boundary == QAccessible::SentenceBoundary)) {
                    int start = -2, end = -2;
                    const QString t = (ours->*query)(offset, boundary, &start, &end);
                    QVERIFY((start == -1 && end == -1 && t.isEmpty()) ||
                            (0 <= start && start <= end && end <= n &&
                             t == text.mid(start, end - start)));
                } else if (int start = -2, end = -2;
                           (standard->*query)(offset, boundary, &start, &end).isEmpty() &&
                           start == -1) {
                    // Nothing there: Qt 6.4 may leave the end at 0, where
                    // ours says -1 for both, as the interface documents.
                    QCOMPARE(answer(ours), QStringLiteral("%1 %2, boundary %3: \"\" -1--1")
                                               .arg(QLatin1String(name), QString::number(offset),
                                                    QString::number(boundary)));
                } else {
                    QCOMPARE(answer(ours), answer(standard));
                }
            }
        }
    }
    // Points outside the edit clamp to its ends.
    for (QWidget *w :
         {static_cast<QWidget *>(m_pair->Standard()), static_cast<QWidget *>(m_pair->Ours())}) {
        QAccessibleTextInterface *i = interfaceOf(w);
        QCOMPARE(i->offsetAtPoint(w->mapToGlobal(QPoint(-20, w->height() / 2))), 0);
        QCOMPARE(i->offsetAtPoint(w->mapToGlobal(QPoint(w->width() + 20, w->height() / 2))), n);
    }
    // Character boxes: the same size as Qt's for a character of one code
    // unit, and where it is drawn. Qt 6.4 leaves out the frame, the margins
    // and the scrolling, so that its boxes lie a fixed distance up and left
    // of the glyphs on an unscrolled line.
    std::optional<QPoint> shift;
    for (int offset = 0; offset <= n; ++offset) {
        const QRect s =
            standard->characterRect(offset).translated(-m_pair->Standard()->mapToGlobal(QPoint()));
        const QRect o =
            ours->characterRect(offset).translated(-m_pair->Ours()->mapToGlobal(QPoint()));
        const auto spacing = [&](int i) {
            return !text[i].isSurrogate() && text[i].category() != QChar::Mark_NonSpacing &&
                   text[i].category() != QChar::Other_Format;
        };
        const bool single =
            offset < n && spacing(offset) && (offset + 1 == n || spacing(offset + 1));
        if (!single) {
            QVERIFY(offset < n || o.isEmpty());
            continue;
        }
        QCOMPARE(o.size(), s.size());
        if (!shift)
            shift = o.topLeft() - s.topLeft();
        QCOMPARE(o.topLeft() - s.topLeft(), *shift);
    }
    QVERIFY(shift && shift->x() > 0 && shift->y() > 0);
}

namespace {

// The rows of the tests that run on a short and on a long line alike.
void Lengths()
{
    QTest::addColumn<int>("length");
    QTest::newRow("short") << 30;
    QTest::newRow("long") << kLong;
}

} // namespace

void TestLineEdit::selectionAcrossTheVisibleEdge_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("how");
    for (const int length : {12, kLong}) {
        const QString size = length > 100 ? QStringLiteral("long, ") : QStringLiteral("short, ");
        for (const char *how : {"characters", "words", "mouse"})
            QTest::newRow(qPrintable(size + QLatin1String(how)))
                << length << QString::fromLatin1(how);
    }
}

void TestLineEdit::selectionAcrossTheVisibleEdge()
{
    QFETCH(int, length);
    QFETCH(QString, how);
    const QString text = words(length);
    pasteText(text);
    keys({Qt::Key_Home});
    qsizetype expected = 0;
    if (how == QLatin1String("characters")) {
        keys({Qt::ShiftModifier | Qt::Key_Right}, 300);
        expected = std::min<qsizetype>(300, length);
    } else if (how == QLatin1String("words")) {
        keys({Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_Right}, 40);
        expected = std::min<qsizetype>(240, length);
    } else {
        // Dragged from the first letter to beyond the right edge, where each
        // move scrolls the line on.
        const int y = edit()->height() / 2;
        QTest::mousePress(edit(), Qt::LeftButton, {}, QPoint(3, y));
        for (int i = 0; i < 5; ++i)
            QTest::mouseMove(edit(), QPoint(edit()->width() + 20 + i, y));
        QTest::mouseRelease(edit(), Qt::LeftButton, {}, QPoint(edit()->width() + 25, y));
        expected = edit()->selectionEnd();
        const QFontMetrics fm(edit()->font());
        QVERIFY(length < 100 ? expected == length
                             : fm.horizontalAdvance(text.left(expected)) > edit()->width());
    }
    QCOMPARE(edit()->selectionStart(), 0);
    QCOMPARE(edit()->selectedText(), text.left(expected));
    keys({Qt::ControlModifier | Qt::Key_C});
    QCOMPARE(QGuiApplication::clipboard()->text(), text.left(expected));
    // Typing replaces exactly what was selected, seen or not.
    type(QStringLiteral("Ω"));
    QCOMPARE(edit()->text().size(), length - expected + 1);
    QVERIFY(edit()->text() == QStringLiteral("Ω") + text.mid(expected));
}

void TestLineEdit::undoAfterPaste_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("typed"); // after the paste
    const QString longText = words(kLong);
    QTest::newRow("long into short") << QStringLiteral("ΑΓΑΠΗ") << longText << QString();
    QTest::newRow("short after long") << longText << QStringLiteral("ΑΓΑΠΗ") << QString();
    QTest::newRow("typed after the paste")
        << QStringLiteral("ΑΓΑΠΗ") << longText << QStringLiteral("ΩΩΩ");
}

void TestLineEdit::undoAfterPaste()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    pasteText(before);
    pasteText(pasted);
    type(typed);
    QVERIFY(edit()->text() == before + pasted + typed);
    if (!typed.isEmpty()) { // typing is one step of its own
        keys({Qt::ControlModifier | Qt::Key_Z});
        QVERIFY(edit()->text() == before + pasted);
    }
    keys({Qt::ControlModifier | Qt::Key_Z});
    QVERIFY(edit()->text() == before);
    QCOMPARE(edit()->cursorPosition(), before.size());
    keys({Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z});
    QVERIFY(edit()->text() == before + pasted);
    keys({Qt::ControlModifier | Qt::Key_Z}, 2); // back past the first paste too
    QCOMPARE(edit()->text(), QString());
}

void TestLineEdit::deadKeys_data()
{
    QTest::addColumn<bool>("preedit"); // shown while composing, as an input method does
    QTest::newRow("compose key") << false;
    QTest::newRow("composing") << true;
}

void TestLineEdit::deadKeys()
{
    // The tonos key of a Greek keyboard sends no text; the input method
    // composes it with the next letter into one.
    QFETCH(bool, preedit);
    const QString text = words(kLong);
    pasteText(text);
    QTest::sendKeyEvent(QTest::Press, edit(), Qt::Key_Dead_Acute, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, edit(), Qt::Key_Dead_Acute, QString(), Qt::NoModifier);
    if (preedit) {
        QInputMethodEvent composing(QStringLiteral("΄"), {});
        QCoreApplication::sendEvent(edit(), &composing);
        QVERIFY(edit()->text() == text);
    }
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("ά"));
    QCoreApplication::sendEvent(edit(), &composed);
    QVERIFY(edit()->text() == text + QStringLiteral("ά"));
    QCOMPARE(edit()->inputMethodQuery(Qt::ImTextBeforeCursor).toString().right(2),
             text.right(1) + QStringLiteral("ά"));
    keys({Qt::ControlModifier | Qt::Key_Z});
    QVERIFY(edit()->text() == text);
}

void TestLineEdit::copyFarOffScreen_data()
{
    QTest::addColumn<int>("from"); // cursor position before selecting
    QTest::addColumn<QKeyCombination>("select");
    QTest::addColumn<int>("start"); // of the text expected on the clipboard
    QTest::addColumn<int>("end");
    QTest::newRow("to the end") << 1000 << (Qt::ShiftModifier | Qt::Key_End) << 1000 << kLong;
    QTest::newRow("to the start") << kLong - 1000 << (Qt::ShiftModifier | Qt::Key_Home) << 0
                                  << kLong - 1000;
    QTest::newRow("all") << 0 << (Qt::ControlModifier | Qt::Key_A) << 0 << kLong;
}

void TestLineEdit::copyFarOffScreen()
{
    QFETCH(int, from);
    QFETCH(QKeyCombination, select);
    QFETCH(int, start);
    QFETCH(int, end);
    const QString text = words(kLong);
    pasteText(text);
    edit()->setCursorPosition(from);
    keys({select});
    keys({Qt::ControlModifier | Qt::Key_C});
    QVERIFY(QGuiApplication::clipboard()->text() == text.mid(start, end - start));
    // and cut takes exactly that away
    keys({Qt::ControlModifier | Qt::Key_X});
    QVERIFY(edit()->text() == text.left(start) + text.mid(end));
}

void TestLineEdit::accessibleTextOfALongLine_data()
{
    Lengths();
}

void TestLineEdit::accessibleTextOfALongLine()
{
    QFETCH(int, length);
    const QString text = words(length);
    pasteText(text);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(edit());
    QVERIFY(a && a->textInterface() && a->editableTextInterface());
    QCOMPARE(a->role(), QAccessible::EditableText);
    QVERIFY(a->state().editable);
    QAccessibleTextInterface *t = a->textInterface();
    QCOMPARE(t->characterCount(), length);
    QCOMPARE(t->cursorPosition(), length);
    const int middle = length / 2;
    QCOMPARE(t->text(middle, middle + 10), text.mid(middle, 10));
    // The word around an offset far from the screen, and the ones either side.
    int start = -1, end = -1;
    const int inWord = middle - middle % 6 + 2;
    QCOMPARE(t->textAtOffset(inWord, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("ΛΟΓΟΣ"));
    QCOMPARE(start, inWord - 2);
    QCOMPARE(t->textAfterOffset(inWord, QAccessible::WordBoundary, &start, &end),
             QStringLiteral(" "));
    QCOMPARE(t->textAtOffset(inWord, QAccessible::CharBoundary, &start, &end), text.mid(inWord, 1));
    // The character before the cursor is on screen, inside the edit.
    const QRect shown(edit()->mapToGlobal(QPoint(0, 0)), edit()->size());
    QVERIFY(shown.intersects(t->characterRect(length - 1)));
    QCOMPARE(t->offsetAtPoint(edit()->mapToGlobal(edit()->CharacterRect(length - 1).center())),
             length - 1);
    // Selection and editing through the interface reach the edit.
    keys({Qt::ShiftModifier | Qt::Key_Home});
    int selStart = -1, selEnd = -1;
    t->selection(0, &selStart, &selEnd);
    QCOMPARE(QPair(selStart, selEnd), QPair(0, length));
    a->editableTextInterface()->replaceText(middle, middle + 1, QStringLiteral("Ω"));
    QVERIFY(edit()->text() == text.left(middle) + QStringLiteral("Ω") + text.mid(middle + 1));
    QCOMPARE(a->text(QAccessible::Value).size(), length);
}

void TestLineEdit::cursorMovesOverALongLine_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("to");
    const int n = 600'000; // whole words: the line ends in a space
    QTest::newRow("words back from the end")
        << n << (Qt::ControlModifier | Qt::Key_Left) << 3 << n - 18;
    QTest::newRow("words on from the start")
        << 0 << (Qt::ControlModifier | Qt::Key_Right) << 3 << 18;
    QTest::newRow("Home from the end") << n << QKeyCombination(Qt::Key_Home) << 1 << 0;
    QTest::newRow("End from the start") << 0 << QKeyCombination(Qt::Key_End) << 1 << n;
}

void TestLineEdit::cursorMovesOverALongLine()
{
    QFETCH(int, from);
    QFETCH(QKeyCombination, key);
    QFETCH(int, times);
    QFETCH(int, to);
    const QString text = words(600'000);
    pasteText(text);
    edit()->setCursorPosition(from);
    keys({key}, times);
    QCOMPARE(edit()->cursorPosition(), to);
    QVERIFY(!edit()->hasSelectedText());
    // and typing lands there
    type(QStringLiteral("Ω"));
    QVERIFY(edit()->text() == text.left(to) + QStringLiteral("Ω") + text.mid(to));
}

void TestLineEdit::mouseSelectsWordAndLine_data()
{
    Lengths();
}

void TestLineEdit::mouseSelectsWordAndLine()
{
    QFETCH(int, length);
    pasteText(words(length));
    // A double click takes the word under the mouse, a third click the line.
    const QPoint at(edit()->width() / 2, edit()->height() / 2);
    QTest::mouseDClick(edit(), Qt::LeftButton, {}, at);
    QCOMPARE(edit()->selectedText(), QStringLiteral("ΛΟΓΟΣ"));
    QVERIFY(edit()->selectionStart() % 6 == 0);
    QTest::mouseClick(edit(), Qt::LeftButton, {}, at);
    QCOMPARE(edit()->selectionEnd() - edit()->selectionStart(), length);
}

void TestLineEdit::dropFromAnotherProgram_data()
{
    Lengths();
}

void TestLineEdit::dropFromAnotherProgram()
{
    QFETCH(int, length);
    const QString text = words(length);
    pasteText(text);
    QMimeData data;
    data.setText(QStringLiteral("ΑΓΑΠΗ"));
    const QPointF at(edit()->width() / 2.0, edit()->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(edit(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(edit(), &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(edit(), &drop);
    QVERIFY(drop.isAccepted());
    // Dropped where the mouse was, in the part of the line on screen, with
    // the cursor after it and nothing selected.
    const qsizetype p = edit()->cursorPosition() - 5;
    QVERIFY(!edit()->hasSelectedText());
    QVERIFY(p > 0 && p > length - 1000);
    QVERIFY(edit()->text() == text.left(p) + QStringLiteral("ΑΓΑΠΗ") + text.mid(p));
    keys({Qt::ControlModifier | Qt::Key_Z});
    QVERIFY(edit()->text() == text);
}

PSIFONOMOI_GUI_TEST_MAIN(TestLineEdit)
#include "tst_lineedit.moc"

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SideBySide.h"

#include "Unit1.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace {

QString Shown(const QString &text)
{
    if (text.size() > 200)
        return QStringLiteral("%1 characters").arg(text.size());
    QString shown;
    for (const QChar c : text)
        shown += c.isPrint() ? QString(c)
                             : QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QChar(u'0'));
    return shown;
}

// A point on character n of the edit, or just past the last one.
QPoint PointOn(const TLineEdit *edit, qsizetype n)
{
    const qsizetype size = edit->text().size();
    if (n < size)
        return edit->CharacterRect(n).center();
    const QRect last = edit->CharacterRect(size - 1);
    return size ? QPoint(last.right() + 3, last.center().y())
                : QPoint(edit->width() / 2, edit->height() / 2);
}

} // namespace

TSideBySide::TSideBySide() : m_host(std::make_unique<QWidget>())
{
    // The window's own edit gives the font and the size.
    TForm1 form;
    const auto *edit = form.findChild<TLineEdit *>(QStringLiteral("Edit1"));
    m_standard = new QLineEdit(m_host.get());
    m_ours = new TLineEdit(m_host.get());
    for (QWidget *w : {static_cast<QWidget *>(m_standard), static_cast<QWidget *>(m_ours)}) {
        w->setFont(edit->font());
        w->resize(edit->size());
    }
    m_ours->move(0, edit->height() + 10);
    m_host->resize(edit->width(), 2 * edit->height() + 10);
    m_host->show();
    // Ours tells assistive technologies of a selection change with this
    // signal.
    QObject::connect(m_ours, &TLineEdit::selectionChanged, m_host.get(),
                     [this] { ++m_selectionChangesOfOurs; });
}

TSideBySide::~TSideBySide() = default;

template <typename Edit> void TSideBySide::Apply(Edit *edit, const QString &action)
{
    const qsizetype colon = action.indexOf(u':');
    const QString verb = colon < 0 ? QString() : action.left(colon);
    const QString rest = action.mid(colon + 1);
    const QStringList args = rest.split(u',');
    const auto clipboard = QGuiApplication::clipboard();
    const auto point = [this, &args] { return PointOn(m_ours, args.at(0).toInt()); };
    if (verb == QLatin1String("type")) {
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const qsizetype length = rest[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(rest[i].toUpper().unicode()),
                                rest.mid(i, length), Qt::NoModifier);
            i += length - 1;
        }
    } else if (verb == QLatin1String("paste")) {
        clipboard->setText(rest);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else if (verb == QLatin1String("clip")) {
        clipboard->setText(rest);
    } else if (verb == QLatin1String("at")) {
        edit->setCursorPosition(rest.toInt());
    } else if (verb == QLatin1String("select")) {
        edit->setSelection(args.at(0).toInt(), args.at(1).toInt());
    } else if (verb == QLatin1String("preedit")) {
        QInputMethodEvent event(rest, {});
        QCoreApplication::sendEvent(edit, &event);
    } else if (verb == QLatin1String("imselect")) {
        QInputMethodEvent event(QString(), {{QInputMethodEvent::Selection, args.at(0).toInt(),
                                             args.at(1).toInt(), QVariant()}});
        QCoreApplication::sendEvent(edit, &event);
    } else if (verb == QLatin1String("commit")) {
        QInputMethodEvent event;
        if (args.size() == 3)
            event.setCommitString(args.at(0), args.at(1).toInt(), args.at(2).toInt());
        else
            event.setCommitString(rest);
        QCoreApplication::sendEvent(edit, &event);
    } else if (verb == QLatin1String("drop")) {
        QMimeData data;
        data.setText(rest.mid(args.at(0).size() + 1));
        const QPoint at = point();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(edit, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(edit, &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(edit, &drop);
    } else if (verb == QLatin1String("click") || verb == QLatin1String("shiftclick")) {
        const Qt::KeyboardModifiers mods =
            verb == QLatin1String("click") ? Qt::NoModifier : Qt::ShiftModifier;
        QTest::mouseClick(edit, Qt::LeftButton, mods, point());
    } else if (verb == QLatin1String("dclick")) {
        QTest::mouseDClick(edit, Qt::LeftButton, {}, point());
    } else if (verb == QLatin1String("accessible")) {
        const int start = args.at(0).toInt(), length = args.at(1).toInt();
        const QString text = rest.section(u',', 2);
        QAccessible::queryAccessibleInterface(edit)->editableTextInterface()->replaceText(
            start, start + length, text);
    } else {
        const QKeyCombination key = QKeySequence::fromString(action)[0];
        QTest::keyClick(edit, key.key(), key.keyboardModifiers());
    }
}

void TSideBySide::Run(const QString &action)
{
    m_selectionChangesOfOurs = 0;
    Apply(m_standard, action);
    Apply(m_ours, action);
}

template <typename Edit> QString TSideBySide::State(Edit *edit) const
{
    QString menu;
    std::unique_ptr<QMenu> standardMenu(edit->createStandardContextMenu());
    for (const QAction *a : standardMenu->actions()) {
        if (!a->isSeparator())
            menu += a->text().section(u'\t', 0, 0) + (a->isEnabled() ? u'+' : u'-') + u' ';
    }
    const QString selected =
        edit->hasSelectedText()
            ? QStringLiteral("%1+%2").arg(edit->selectionStart()).arg(edit->selectedText().size())
            : QStringLiteral("nothing");
    return QStringLiteral("\"%1\" cursor %2, selected %3, undo %4, redo %5, menu %6")
        .arg(Shown(edit->text()))
        .arg(edit->cursorPosition())
        .arg(selected)
        .arg(edit->isUndoAvailable())
        .arg(edit->isRedoAvailable())
        .arg(menu);
}

QString TSideBySide::StateOfStandard() const
{
    return State(m_standard);
}

QString TSideBySide::StateOfOurs() const
{
    return State(m_ours);
}

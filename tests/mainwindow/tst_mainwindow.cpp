// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator window driven as a user drives it: real key presses and mouse
// clicks on the offscreen platform, with the program's own application object.
#include "AboutUnit.h"
#include "Form1Design.h"
#include "GuiTest.h"
#include "LineEdit.h"
#include "Unit1.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <memory>
#include <stdexcept>

using psifonomoi::testing::control;
using psifonomoi::testing::ModalWatch;
using psifonomoi::testing::whenWindowAppears;

namespace {
// The window's size and first position as laid out (Unit1.ui).
namespace design = psifonomoi::design::form1;
const QSize kDesignedSize(design::kClientWidth, design::kClientHeight);
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsEmptyWithClassicalChosen();
    void tabOrder();
    void workedExample_data();
    void workedExample();
    void modifiedEnterDoesNotCalculate_data();
    void modifiedEnterDoesNotCalculate();
    void radioByKeyboardRecalculates();
    void checkedRadioChosenAgainDoesNothing();
    void emptyTextGivesZeros();
    void editingAloneDoesNotRecalculate();
    void enterOnFocusedButton_data();
    void enterOnFocusedButton();
    void escape_data();
    void escape();
    void onlyWidens();
    void widenedLayout_data();
    void widenedLayout();
    void largeValueWidensLabel();
    void pastedMillionCharacters();
    void pastedNulIsPartOfTheText_data();
    void pastedNulIsPartOfTheText();
    void exceptionInHandlerIsShownAndProgramGoesOn();
    void exceptionReachingEventLoopIsShown_data();
    void exceptionReachingEventLoopIsShown();
    void informationOpensAndReleasesAboutWindow();
    void backgroundIsButtonFace();
    void copyResult_data();
    void copyResult();
    void resultLabelCopiesItsSelection();
    void captionsFit_data();
    void captionsFit();
    void contextMenuIsGreek();

private:
    QString word() const { return control<QLabel>(m_form.get(), "Label2")->text(); }
    QString primary() const { return control<QLabel>(m_form.get(), "Label4")->text(); }
    void type(const QString &text);
    TLineEdit *edit() const { return control<TLineEdit>(m_form.get(), "Edit1"); }

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<ModalWatch> m_watch;
};

void TestMainWindow::init()
{
    m_watch = std::make_unique<ModalWatch>();
    m_form = std::make_unique<TForm1>();
    Form1 = m_form.get();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    edit()->setFocus();
}

void TestMainWindow::cleanup()
{
    Form1 = nullptr;
    m_form.reset();
    QCOMPARE(m_watch->unexpected(), QString());
    m_watch.reset();
}

void TestMainWindow::type(const QString &text)
{
    // QTest::keyClicks takes Latin-1 only; Greek letters go as key events that
    // carry their text, as a Greek keyboard layout delivers them.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit(), Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

void TestMainWindow::startsEmptyWithClassicalChosen()
{
    QCOMPARE(edit()->text(), QString());
    QVERIFY(control<QRadioButton>(m_form.get(), "RadioButton1")->isChecked());
    QVERIFY(!control<QRadioButton>(m_form.get(), "RadioButton2")->isChecked());
    QCOMPARE(word(), QStringLiteral("0"));
    QCOMPARE(primary(), QStringLiteral("0"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Ψηφόνομοι"));
    QCOMPARE(m_form->size(), kDesignedSize);
    QCOMPARE(m_form->sizeHint(), kDesignedSize);
    QCOMPARE(m_form->pos(), QPoint(design::kFirstLeft, design::kFirstTop));
    QVERIFY(control<QPushButton>(m_form.get(), "Button1")->isDefault());
}

void TestMainWindow::tabOrder()
{
    const char *order[] = {"Button1", "Button2", "Button3", "RadioButton1", "Edit1"};
    for (const char *name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
}

void TestMainWindow::workedExample_data()
{
    QTest::addColumn<int>("key"); // 0: click Calculate with the mouse
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter)
                                  << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Calculate clicked") << 0 << Qt::KeyboardModifiers();
}

void TestMainWindow::workedExample()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    type(QStringLiteral("ΑΓΑΠΗ"));
    if (key)
        QTest::keyClick(edit(), Qt::Key(key), modifiers);
    else
        QTest::mouseClick(control<QPushButton>(m_form.get(), "Button1"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("93"));
    QCOMPARE(primary(), QStringLiteral("3"));
    // The text, focus and selection stay as they were.
    QCOMPARE(edit()->text(), QStringLiteral("ΑΓΑΠΗ"));

    QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton2"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("28"));
    QCOMPARE(primary(), QStringLiteral("1"));
    QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton1"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("93"));
}

void TestMainWindow::modifiedEnterDoesNotCalculate_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier);
}

void TestMainWindow::modifiedEnterDoesNotCalculate()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::keyClick(edit(), Qt::Key_Return, modifiers);
    QCOMPARE(word(), QStringLiteral("0"));
    QVERIFY(m_form->isVisible());
}

void TestMainWindow::radioByKeyboardRecalculates()
{
    // Never calculated before: changing the system calculates the current text.
    type(QStringLiteral("Ιησούς"));
    auto *classical = control<QRadioButton>(m_form.get(), "RadioButton1");
    classical->setFocus();
    QTest::keyClick(classical, Qt::Key_Down);
    QVERIFY(control<QRadioButton>(m_form.get(), "RadioButton2")->isChecked());
    QCOMPARE(word(), QStringLiteral("87"));
    QCOMPARE(primary(), QStringLiteral("6"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QVERIFY(classical->isChecked());
    QCOMPARE(word(), QStringLiteral("888"));
}

void TestMainWindow::checkedRadioChosenAgainDoesNothing()
{
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton1"), Qt::LeftButton);
    QTest::keyClick(control<QRadioButton>(m_form.get(), "RadioButton1"), Qt::Key_Space);
    QCOMPARE(word(), QStringLiteral("0"));
    QCOMPARE(primary(), QStringLiteral("0"));
}

void TestMainWindow::emptyTextGivesZeros()
{
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::keyClick(edit(), Qt::Key_Return);
    edit()->selectAll();
    QTest::keyClick(edit(), Qt::Key_Delete);
    QTest::mouseClick(control<QPushButton>(m_form.get(), "Button1"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("0"));
    QCOMPARE(primary(), QStringLiteral("0"));
}

void TestMainWindow::editingAloneDoesNotRecalculate()
{
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::keyClick(edit(), Qt::Key_Return);
    type(QStringLiteral("ΩΩ"));
    QTest::keyClick(edit(), Qt::Key_Backspace);
    QCOMPARE(word(), QStringLiteral("93"));
    QCOMPARE(primary(), QStringLiteral("3"));
}

void TestMainWindow::enterOnFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::newRow("Information, Return") << QStringLiteral("Button2") << int(Qt::Key_Return);
    QTest::newRow("Close, Return") << QStringLiteral("Button3") << int(Qt::Key_Return);
    QTest::newRow("Close, keypad Enter") << QStringLiteral("Button3") << int(Qt::Key_Enter);
}

void TestMainWindow::enterOnFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    type(QStringLiteral("ΑΓΑΠΗ"));
    auto *b = m_form->findChild<QPushButton *>(button);
    b->setFocus();
    QCOMPARE(QApplication::focusWidget(), b);

    bool aboutSeen = false;
    if (button == QLatin1String("Button2")) {
        m_watch->allow(true);
        whenWindowAppears(
            this, [](QWidget *w) { w->close(); }, &aboutSeen);
    }
    QTest::keyClick(b, Qt::Key(key));
    QCOMPARE(word(), QStringLiteral("0")); // Calculate was not pressed
    if (button == QLatin1String("Button2")) {
        QVERIFY(aboutSeen);
        QVERIFY(m_form->isVisible());
    } else {
        QVERIFY(!m_form->isVisible());
    }
}

void TestMainWindow::escape_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("plain") << Qt::KeyboardModifiers() << true;
    QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
}

void TestMainWindow::escape()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, closes);
    QTest::keyClick(edit(), Qt::Key_Escape, modifiers);
    QCOMPARE(m_form->isVisible(), !closes);
}

void TestMainWindow::onlyWidens()
{
    m_form->resize(300, 200);
    QCOMPARE(m_form->size(), kDesignedSize);
    m_form->resize(900, 600);
    QCOMPARE(m_form->size(), QSize(900, design::kClientHeight));
    QCOMPARE(m_form->minimumSize(), kDesignedSize);
    QCOMPARE(m_form->maximumHeight(), design::kClientHeight);
}

void TestMainWindow::widenedLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("widened"); // geometry after widening by 200
    QTest::newRow("Label5 grows") << QStringLiteral("Label5") << QRect(16, 8, 600, 39);
    QTest::newRow("Edit1 grows") << QStringLiteral("Edit1") << QRect(16, 58, 610, 28);
    QTest::newRow("GroupBox1 grows") << QStringLiteral("GroupBox1") << QRect(112, 96, 513, 129);
    QTest::newRow("Label7 grows") << QStringLiteral("Label7") << QRect(24, 72, 475, 52);
    QTest::newRow("GroupBox2 grows") << QStringLiteral("GroupBox2") << QRect(16, 232, 521, 97);
    QTest::newRow("Button2 moves") << QStringLiteral("Button2") << QRect(544, 240, 81, 25);
    QTest::newRow("Button3 moves") << QStringLiteral("Button3") << QRect(544, 272, 81, 25);
    QTest::newRow("Button1 stays") << QStringLiteral("Button1") << QRect(18, 94, 87, 25);
    QTest::newRow("RadioButton2 stays") << QStringLiteral("RadioButton2") << QRect(8, 56, 297, 17);
    QTest::newRow("Label3 stays") << QStringLiteral("Label3") << QRect(16, 60, 268, 29);
}

void TestMainWindow::widenedLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, widened);
    m_form->resize(kDesignedSize + QSize(200, 0));
    QCOMPARE(m_form->findChild<QWidget *>(name)->geometry(), widened);
    m_form->resize(kDesignedSize); // and back to the designed place
    const QRect designed = m_form->findChild<QWidget *>(name)->geometry();
    QCOMPARE(designed.top(), widened.top());
    QVERIFY(designed.width() == widened.width() || designed.width() == widened.width() - 200);
    QVERIFY(designed.left() == widened.left() || designed.left() == widened.left() - 200);
}

void TestMainWindow::largeValueWidensLabel()
{
    type(QString(2000, QChar(u'Ω')));
    QTest::keyClick(edit(), Qt::Key_Return);
    auto *label = control<QLabel>(m_form.get(), "Label2");
    QCOMPARE(label->text(), QStringLiteral("1600000"));
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
    QVERIFY(label->width() > 15);
}

void TestMainWindow::pastedMillionCharacters()
{
    // Half small alpha, half small beta: 500,000 × (1 + 2) classical.
    QString text;
    for (int i = 0; i < 500'000; ++i)
        text += QStringLiteral("αβ");
    QGuiApplication::clipboard()->setText(text);
    auto *edit = this->edit();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text().size(), 1'000'000);
    QCOMPARE(edit->text(), text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(word(), QStringLiteral("1500000"));
    QCOMPARE(primary(), QStringLiteral("6"));
    QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton2"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("1500000")); // positional values of α, β are 1, 2 too
}

void TestMainWindow::pastedNulIsPartOfTheText_data()
{
    QTest::addColumn<QString>("text");
    const QChar nul(0);
    QTest::newRow("NUL first") << nul + QStringLiteral("Ιησούς");
    QTest::newRow("NUL inside") << QStringLiteral("Ιη") + nul + QStringLiteral("σούς");
    QTest::newRow("NUL last") << QStringLiteral("Ιησούς") + nul;
}

void TestMainWindow::pastedNulIsPartOfTheText()
{
    // A NUL adds nothing, and the letters after it count as much as before.
    QFETCH(QString, text);
    QGuiApplication::clipboard()->setText(text);
    auto *edit = this->edit();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(word(), QStringLiteral("888"));
    QCOMPARE(primary(), QStringLiteral("6"));
    QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton2"), Qt::LeftButton);
    QCOMPARE(word(), QStringLiteral("87"));
    QCOMPARE(primary(), QStringLiteral("6"));
}

void TestMainWindow::exceptionInHandlerIsShownAndProgramGoesOn()
{
    auto *calculate = control<QPushButton>(m_form.get(), "Button1");
    // A handler connected the way the window connects its own.
    auto *thrower = new QObject(calculate);
    psifonomoi::ConnectHandler(calculate, &QPushButton::clicked, thrower,
                               [] { throw std::runtime_error("Δοκιμαστικό σφάλμα"); });
    m_watch->allow(true);
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
    whenWindowAppears(
        this,
        [&](QWidget *w) {
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                text = box->text();
                icon = box->icon();
                for (QAbstractButton *b : box->buttons())
                    buttons << b->text();
            }
            w->close();
        },
        &seen);
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::mouseClick(calculate, Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(text, QStringLiteral("Δοκιμαστικό σφάλμα"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, QStringList{QStringLiteral("Εντάξει")});

    // The window is still there and still calculates.
    delete thrower;
    m_watch->allow(false);
    QVERIFY(m_form->isVisible());
    QTest::keyClick(edit(), Qt::Key_Return);
    QCOMPARE(word(), QStringLiteral("93"));
}

namespace {

// Throws from its event handler, as a faulty handler outside the window would.
class Thrower : public QObject
{
public:
    explicit Thrower(bool standard) : m_standard(standard) {}
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (m_standard)
            throw std::runtime_error("Σφάλμα στο συμβάν");
        throw 42;
    }

private:
    bool m_standard;
};

} // namespace

void TestMainWindow::exceptionReachingEventLoopIsShown_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QString>("message");
    QTest::newRow("std::exception") << true << QStringLiteral("Σφάλμα στο συμβάν");
    QTest::newRow("anything else")
        << false << QStringLiteral("Παρουσιάστηκε ένα απρόβλεπτο σφάλμα.");
}

void TestMainWindow::exceptionReachingEventLoopIsShown()
{
    QFETCH(bool, standard);
    QFETCH(QString, message);
    Thrower thrower(standard);
    m_watch->allow(true);
    QString text;
    bool seen = false;
    whenWindowAppears(
        this,
        [&](QWidget *w) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                text = box->text();
            w->close();
        },
        &seen);
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTRY_VERIFY(seen);
    QCOMPARE(text, message);
    QVERIFY(m_form->isVisible());
}

void TestMainWindow::informationOpensAndReleasesAboutWindow()
{
    m_watch->allow(true);
    for (int round = 0; round < 3; ++round) {
        bool seen = false;
        bool wasAbout = false;
        whenWindowAppears(
            this,
            [&](QWidget *w) {
                wasAbout = qobject_cast<TAboutFrm *>(w) && w == AboutFrm;
                w->close();
            },
            &seen);
        QTest::mouseClick(control<QPushButton>(m_form.get(), "Button2"), Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(wasAbout);
        QCOMPARE(AboutFrm, nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<TAboutFrm *>(w), "an about window was left behind");
    }
}

void TestMainWindow::captionsFit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    const struct
    {
        const char *name;
        int px;
        bool bold;
    } rows[] = {
        {"Label5", 11, false},       {"Edit1", 16, false},     {"Button1", 11, false},
        {"Button2", 11, false},      {"Button3", 11, false},   {"GroupBox1", 11, false},
        {"RadioButton1", 11, false}, {"Label6", 11, false},    {"RadioButton2", 11, false},
        {"Label7", 11, false},       {"GroupBox2", 11, false}, {"Label1", 24, true},
        {"Label2", 24, true},        {"Label3", 24, true},     {"Label4", 24, true},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << r.px << r.bold;
}

void TestMainWindow::captionsFit()
{
    QFETCH(QString, name);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    auto *w = m_form->findChild<QWidget *>(name);
    QVERIFY(w);
    // The face actually used, at the layout's pixel size: a free face of the
    // Windows face's widths, not whatever the system falls back to.
    const QFontInfo info(w->font());
    QCOMPARE(info.pixelSize(), pixelSize);
    QCOMPARE(info.bold(), bold);
    QCOMPARE(info.family(), QStringLiteral("Liberation Sans"));

    const QFontMetrics fm(w->font());
    QStyle *style = w->style();
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const QRect box = label->contentsRect();
        if (label->wordWrap()) {
            const QRect needed = fm.boundingRect(box, Qt::TextWordWrap, label->text());
            QVERIFY2(
                needed.height() <= box.height() && needed.width() <= box.width(),
                qPrintable(QStringLiteral("needs %1×%2").arg(needed.width()).arg(needed.height())));
        } else {
            QVERIFY(fm.horizontalAdvance(label->text()) <= box.width());
            QVERIFY(fm.height() <= box.height());
        }
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        const QRect box = style->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
        QVERIFY(fm.horizontalAdvance(button->text()) <= box.width());
        QVERIFY(fm.height() <= box.height());
    } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(radio);
        opt.text = radio->text();
        const QRect box = style->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio);
        QVERIFY2(fm.horizontalAdvance(radio->text()) <= box.width(),
                 qPrintable(QStringLiteral("%1 > %2")
                                .arg(fm.horizontalAdvance(radio->text()))
                                .arg(box.width())));
        QVERIFY(fm.height() <= box.height());
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        QVERIFY(fm.horizontalAdvance(group->title()) + 2 * fm.averageCharWidth() <= group->width());
    } else if (auto *edit = qobject_cast<TLineEdit *>(w)) {
        QVERIFY(fm.height() <= edit->contentsRect().height());
    }
}

void TestMainWindow::contextMenuIsGreek()
{
    auto *edit = this->edit();
    type(QStringLiteral("ΑΓΑΠΗ"));
    QStringList texts;
    bool seen = false;
    whenWindowAppears(
        this,
        [&](QWidget *w) {
            if (auto *menu = qobject_cast<QMenu *>(w)) {
                for (QAction *a : menu->actions()) {
                    if (a->isSeparator())
                        continue;
                    QString t = a->text().section(QLatin1Char('\t'), 0, 0);
                    texts << t.remove(QLatin1Char('&'));
                }
            }
            w->close();
        },
        &seen);
    const QPoint at(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, edit->mapToGlobal(at));
    QCoreApplication::sendEvent(edit, &event);
    QTRY_VERIFY(seen); // the menu pops up without a loop of its own
    const QStringList greek{
        QStringLiteral("Αναίρεση"),     QStringLiteral("Ακύρωση αναίρεσης"),
        QStringLiteral("Αποκοπή"),      QStringLiteral("Αντιγραφή"),
        QStringLiteral("Επικόλληση"),   QStringLiteral("Διαγραφή"),
        QStringLiteral("Επιλογή όλων"), QStringLiteral("Αντιγραφή αποτελέσματος"),
    };
    QCOMPARE(texts, greek);
}

void TestMainWindow::backgroundIsButtonFace()
{
    // A theme whose window colour is not its button face (dark, here).
    QPalette palette = m_form->palette();
    palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    palette.setColor(QPalette::Button, QColor(0x40, 0x40, 0x50));
    palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    m_form->setPalette(palette);
    const QImage image = m_form->grab().toImage();
    QCOMPARE(image.pixelColor(4, image.height() / 2), palette.color(QPalette::Button));
}

void TestMainWindow::copyResult_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("calculate");  // Enter after typing
    QTest::addColumn<bool>("positional"); // then choose the other system
    QTest::addColumn<QString>("typedAfter");
    QTest::addColumn<QString>("expected"); // empty: nothing to copy
    const QString classical = QStringLiteral("Αριθμητικό σύστημα κλασικής περιόδου");
    QTest::newRow("calculated") << QStringLiteral("ΑΓΑΠΗ") << true << false << QString()
                                << QStringLiteral("ΑΓΑΠΗ = 93 (3), ") + classical;
    QTest::newRow("positional")
        << QStringLiteral("ΑΓΑΠΗ") << false << true << QString()
        << QStringLiteral("ΑΓΑΠΗ = 28 (1), Σύγχρονο αλφάβητο με βάση τη θέση του γράμματος");
    // The results on show belong to the text they were calculated for.
    QTest::newRow("edited since") << QStringLiteral("ΑΓΑΠΗ") << true << false << QStringLiteral("Ω")
                                  << QStringLiteral("ΑΓΑΠΗ = 93 (3), ") + classical;
    QTest::newRow("placeholders in the text")
        << QStringLiteral("%2Α%1") << true << false << QString()
        << QStringLiteral("%2Α%1 = 1 (1), ") + classical;
    QTest::newRow("never calculated")
        << QStringLiteral("ΑΓΑΠΗ") << false << false << QString() << QString();
}

void TestMainWindow::copyResult()
{
    QFETCH(QString, typed);
    QFETCH(bool, calculate);
    QFETCH(bool, positional);
    QFETCH(QString, typedAfter);
    QFETCH(QString, expected);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    type(typed);
    if (calculate)
        QTest::keyClick(edit(), Qt::Key_Return);
    if (positional)
        QTest::mouseClick(control<QRadioButton>(m_form.get(), "RadioButton2"), Qt::LeftButton);
    type(typedAfter);
    auto *edit = this->edit();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(4, 4),
                            edit->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(edit, &event);
    QWidget *menu = QApplication::activePopupWidget();
    QVERIFY(menu);
    auto *action = menu->findChild<QAction *>(QStringLiteral("CopyResult"));
    QVERIFY(action);
    QCOMPARE(action->isEnabled(), !expected.isEmpty());
    action->trigger();
    menu->close();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             expected.isEmpty() ? QStringLiteral("before") : expected);
}

void TestMainWindow::resultLabelCopiesItsSelection()
{
    type(QStringLiteral("ΑΓΑΠΗ"));
    QTest::keyClick(edit(), Qt::Key_Return);
    // A click gives the label the focus (it is no tab stop); the keyboard then
    // selects and copies its value.
    auto *label = control<QLabel>(m_form.get(), "Label2");
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(QApplication::focusWidget(), label);
    QTest::keyClick(label, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("93"));
    // Enter still calculates from there.
    type(QStringLiteral("Ω"));
    QTest::keyClick(label, Qt::Key_Return);
    QCOMPARE(word(), QStringLiteral("893"));
}

PSIFONOMOI_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The about window: its layout and texts, keyboard behaviour, the animation,
// the pictures, and that opening and closing it leaves nothing behind.
#include "AboutFrmDesign.h"
#include "AboutUnit.h"
#include "Application.h"
#include "GuiTest.h"
#include "Unit1.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWhatsThis>
#include <QWindow>

#include <functional>
#include <memory>

using psifonomoi::testing::control;
using psifonomoi::testing::ModalWatch;

namespace {

// The layout's sizes and texts (AboutUnit.ui), and the animation's frames.
namespace design = psifonomoi::design::aboutfrm;
constexpr int kFrameW = design::kFrameWidth;
constexpr int kFrameH = design::kFrameHeight;
constexpr int kFrames = design::kFrameCount;
constexpr int kStripWidth = kFrameW * kFrames;

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Mean absolute difference per channel between two equally sized images.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

// Records the state of every about window at the moment it is shown, before
// any timer could have run.
class ShowSpy : public QObject
{
public:
    struct Seen
    {
        TFrameRect next, shown;
        bool timerActive = false;
    };
    QList<Seen> seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *about = qobject_cast<TAboutFrm *>(watched)) {
                const auto *tmr = about->findChild<QTimer *>(QStringLiteral("Tmr"));
                seen.append({about->NextFrame(), about->ShownFrame(), tmr && tmr->isActive()});
            }
        }
        return false;
    }
};

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private:
    ModalWatch m_watch;
    std::unique_ptr<TForm1> m_form;

    // Opens a window directly, shown and stored in the program-wide reference.
    TAboutFrm *openDirect(QWidget *owner = nullptr)
    {
        m_watch.allow(true);
        AboutFrm = new TAboutFrm(owner);
        AboutFrm->show();
        return AboutFrm;
    }

    // Presses the main window's Information button; `inside` runs within the
    // about window's modal loop and must close it.
    void openThroughMainWindow(const std::function<void(TAboutFrm *)> &inside)
    {
        auto *info = control<QPushButton>(m_form.get(), "Button2");
        QVERIFY(info);
        m_watch.allow(true);
        bool ran = false;
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            ran = true;
            QPointer<TAboutFrm> dlg = AboutFrm;
            QVERIFY(dlg);
            inside(dlg);
            // A failed check returns early; close anyway so that exec() ends.
            if (dlg && dlg->isVisible())
                dlg->close();
        });
        QTest::mouseClick(info, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!AboutFrm);
    }

private slots:
    void initTestCase()
    {
        m_form = std::make_unique<TForm1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup()
    {
        if (AboutFrm)
            AboutFrm->close();
        processDeferredDeletes();
        QVERIFY(!AboutFrm);
        m_watch.allow(false);
        QCOMPARE(m_watch.unexpected(), QString());
    }

    void cleanupTestCase() { m_form.reset(); }

    void pictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("maxColours");
        QTest::newRow("small icon") << ":/icons/psifonomoi-16.png" << QSize(16, 16) << 16;
        QTest::newRow("icon") << ":/icons/psifonomoi-32.png" << QSize(32, 32) << 16;
        QTest::newRow("strip") << ":/about/signature.png" << QSize(kStripWidth, kFrameH) << 256;
    }
    void pictures()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(int, maxColours);
        const QImage img(path);
        QVERIFY2(!img.isNull(), qPrintable(path));
        QCOMPARE(img.size(), size);
        QCOMPARE(img.format(), QImage::Format_Indexed8);
        QVERIFY(img.colorCount() <= maxColours);
        // An indexed picture that uses only two colours would be a blank.
        QVERIFY(img.colorCount() > 8);
    }

    void desktopIcons_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {48, 64, 128, 256})
            QTest::addRow("%d px", size) << size;
    }
    void desktopIcons()
    {
        QFETCH(int, size);
        const QImage img(
            QStringLiteral(PSIFONOMOI_RESOURCES_DIR "/icons/psifonomoi-%1.png").arg(size));
        QCOMPARE(img.size(), QSize(size, size));
        QVERIFY(img.hasAlphaChannel());
        // The same drawing as the small icon: transparent corners, opaque middle.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(size / 2, size / 2)), 255);
    }

    void stripLoopsSmoothly()
    {
        const QImage strip(QStringLiteral(":/about/signature.png"));
        QVERIFY(!strip.isNull());
        const auto frame = [&](int k) { return strip.copy(k * kFrameW, 0, kFrameW, kFrameH); };
        double largestStep = 0;
        for (int k = 0; k + 1 < kFrames; ++k)
            largestStep = qMax(largestStep, meanDifference(frame(k), frame(k + 1)));
        QVERIFY2(largestStep > 0.5, "the frames do not move");
        const double wrap = meanDifference(frame(kFrames - 1), frame(0));
        QVERIFY2(wrap <= largestStep,
                 qPrintable(QStringLiteral("%1 -> 0 jumps by %2, steps are at most %3")
                                .arg(kFrames - 1)
                                .arg(wrap)
                                .arg(largestStep)));
    }

    void windowFrame()
    {
        TAboutFrm *dlg = openDirect();
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Πληροφορίες"));
        const QSize client(design::kClientWidth, design::kClientHeight);
        QCOMPARE(dlg->size(), client);
        QCOMPARE(dlg->minimumSize(), client);
        QCOMPARE(dlg->maximumSize(), client);
        QVERIFY(dlg->isModal());
        const Qt::WindowFlags flags = dlg->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(flags.testFlag(Qt::WindowContextHelpButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(dlg->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(dlg->autoFillBackground());
        const QIcon icon = dlg->windowIcon();
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    }

    void centredOnScreen_data()
    {
        QTest::addColumn<bool>("withOwner");
        QTest::newRow("no owner") << false;
        QTest::newRow("owner in a corner") << true;
    }
    void centredOnScreen()
    {
        QFETCH(bool, withOwner);
        QWidget owner;
        owner.setGeometry(0, 0, 120, 90);
        if (withOwner)
            owner.show();
        TAboutFrm *dlg = openDirect(withOwner ? &owner : nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        const QRect desk = dlg->screen()->availableGeometry();
        const QPoint offset = dlg->frameGeometry().center() - desk.center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("off centre by %1,%2").arg(offset.x()).arg(offset.y())));
        dlg->close();
        processDeferredDeletes();
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, int x, int y, int w, int h, const QString &text) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(x, y, w, h) << text;
        };
        row("Image5", 16, 16, 32, 32, {});
        row("Label10", 56, 22, 177, 22, QString::fromUtf16(design::kTitleText));
        row("HVersionLabel1", 240, 22, 25, 22, QStringLiteral("2.0"));
        row("Label7", 56, 56, 193, 14, QStringLiteral("Για τα Windows 9x, Me, NT, 2000 και XP"));
        row("Label6", 56, 72, 90, 14, QStringLiteral("Διανέμεται δωρεάν"));
        row("Label1", 56, 120, 53, 14, QStringLiteral("Προσοχή!"));
        row("Label2", 115, 120, 219, 14,
            QStringLiteral("Χρησιμοποιείτε το παρόν προγράμμα με δική"));
        row("Label3", 56, 134, 289, 25,
            QStringLiteral("σας πρωτοβουλία. Ο κατασκευαστής δεν φέρει ευθύνη για οτιδήποτε "
                           "και αν συμβεί."));
        row("GRImg", 16, 176, kFrameW, kFrameH, {});
        row("Label5", 56, 184, 286, 14, {});
        row("SignatureImg", 16, 196, kFrameW, kFrameH, {});
        row("Button1", 200, 208, 75, 25, QStringLiteral("Εντάξει"));
        row("Button2", 280, 208, 75, 25, QStringLiteral("Βοήθεια"));
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        TAboutFrm *dlg = openDirect();
        auto *widget = dlg->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->pos(), geometry.topLeft());
        if (qobject_cast<QLabel *>(widget) && !text.isEmpty()) {
            // Captions may grow a little to fit the face drawn, never shrink.
            QVERIFY(widget->width() >= geometry.width());
            QVERIFY(widget->height() >= geometry.height());
            QVERIFY(widget->width() <= geometry.width() + 8);
            QVERIFY(widget->height() <= geometry.height() + 2);
        } else {
            QCOMPARE(widget->size(), geometry.size());
        }
        if (text.isEmpty())
            return;
        QString shown;
        if (auto *label = qobject_cast<QLabel *>(widget))
            shown = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(widget))
            shown = button->text();
        QCOMPARE(shown, text);
    }

    // Bevels draw only their bottom line, at the bottom edge of their rectangle.
    void bevels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rectangle");
        QTest::newRow("Bevel1") << "Bevel1" << QRect(56, 32, 297, 18);
        QTest::newRow("Bevel2") << "Bevel2" << QRect(56, 96, 297, 18);
        QTest::newRow("Bevel3") << "Bevel3" << QRect(56, 192, 297, 9);
    }
    void bevels()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rectangle);
        TAboutFrm *dlg = openDirect();
        auto *line = dlg->findChild<QFrame *>(name);
        QVERIFY(line);
        QCOMPARE(line->frameShape(), QFrame::HLine);
        QCOMPARE(line->x(), rectangle.x());
        QCOMPARE(line->width(), rectangle.width());
        QCOMPARE(line->geometry().bottom(), rectangle.bottom());
        QVERIFY(line->height() <= 2);
    }

    void picturesInPlace()
    {
        TAboutFrm *dlg = openDirect();
        auto *icon = control<QLabel>(dlg, "Image5");
        auto *strip = control<QLabel>(dlg, "SignatureImg");
        QVERIFY(icon && strip);
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
        QCOMPARE(strip->pixmap().size(), QSize(kStripWidth, kFrameH));
        QVERIFY(icon->isVisible());
        QVERIFY(!strip->isVisible());
    }

    void fontsAndConstantTexts()
    {
        TAboutFrm *dlg = openDirect();
        QCOMPARE(dlg->font().family(), QStringLiteral("Arial"));
        QCOMPARE(dlg->font().pixelSize(), 11);
        auto *title = control<QLabel>(dlg, "Label10");
        auto *version = dlg->findChild<QWidget *>(QStringLiteral("HVersionLabel1"));
        QVERIFY(title && version);
        for (const QFont &f : {title->font(), version->font()}) {
            QCOMPARE(f.family(), QStringLiteral("Times New Roman"));
            QCOMPARE(f.pixelSize(), 19);
            QVERIFY(f.bold());
            QVERIFY(f.italic());
        }
        QVERIFY(control<QLabel>(dlg, "Label1")->font().bold());
        QCOMPARE(control<QLabel>(dlg, "Label1")->font().pixelSize(), 11);
        auto *copyright = control<QLabel>(dlg, "Label5");
        QVERIFY(copyright->font().italic());
        // Set from the program's constants, whatever the layout held.
        QCOMPARE(copyright->text(), QString::fromUtf16(design::kCopyrightText));
        QCOMPARE(title->text(), QString::fromUtf16(design::kTitleText));
    }

    // Every caption fits its fixed box in the face that is actually drawn.
    void noClipping_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Label1", "Label2", "Label3", "Label5", "Label6", "Label7",
                                 "Label10", "HVersionLabel1", "Button1", "Button2"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void noClipping()
    {
        QFETCH(QString, name);
        TAboutFrm *dlg = openDirect();
        auto *widget = dlg->findChild<QWidget *>(name);
        QVERIFY(widget);
        const QFontInfo used(widget->font());
        const QStringList metricFaces{QStringLiteral("Arial"),
                                      QStringLiteral("Liberation Sans"),
                                      QStringLiteral("Arimo"),
                                      QStringLiteral("Times New Roman"),
                                      QStringLiteral("Liberation Serif"),
                                      QStringLiteral("Tinos")};
        QVERIFY2(metricFaces.contains(used.family()), qPrintable(used.family()));
        const QFontMetrics fm(widget->font());
        if (auto *button = qobject_cast<QPushButton *>(widget)) {
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            QVERIFY(fm.horizontalAdvance(button->text()) + margin <= button->width());
            QVERIFY(fm.height() <= button->height());
            return;
        }
        auto *label = qobject_cast<QLabel *>(widget);
        QVERIFY(label);
        const QString text = label->text();
        const QRect box = label->contentsRect();
        int flags = Qt::AlignLeft | Qt::AlignTop;
        if (label->wordWrap())
            flags |= Qt::TextWordWrap;
        const QRect needed = fm.boundingRect(box, flags, text);
        QVERIFY2(box.contains(needed), qPrintable(QStringLiteral("%1 needs %2 x %3 in %4 x %5 (%6)")
                                                      .arg(name)
                                                      .arg(needed.width())
                                                      .arg(needed.height())
                                                      .arg(box.width())
                                                      .arg(box.height())
                                                      .arg(used.family())));
    }

    void buttons()
    {
        TAboutFrm *dlg = openDirect();
        auto *ok = control<QPushButton>(dlg, "Button1");
        auto *help = control<QPushButton>(dlg, "Button2");
        QVERIFY(ok && help);
        QVERIFY(!help->isEnabled());
        for (QPushButton *b : {ok, help}) {
            QVERIFY(!b->isDefault());
            QVERIFY(!b->autoDefault());
        }
        QCOMPARE(dlg->focusWidget(), ok);
        QCOMPARE(ok->nextInFocusChain(), help);
        // A click on the disabled Help button does nothing.
        QTest::mouseClick(help, Qt::LeftButton);
        QVERIFY(dlg->isVisible());
        QCOMPARE(AboutFrm, dlg);
    }

    // The caption's help box: what-this mode finds no help for any control and
    // must neither close the window nor show anything.
    void contextHelpIsHarmless()
    {
        TAboutFrm *dlg = openDirect();
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        QWhatsThis::enterWhatsThisMode();
        QTest::mouseClick(control<QPushButton>(dlg, "Button1"), Qt::LeftButton);
        QVERIFY(!QWhatsThis::inWhatsThisMode());
        QVERIFY(dlg->isVisible());
        QCOMPARE(AboutFrm, dlg);
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(QApplication::activeModalWidget(), dlg);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("buttonFocused");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true << false;
        QTest::newRow("Escape, nothing focused") << int(Qt::Key_Escape) << false << false;
        QTest::newRow("Enter on Button1") << int(Qt::Key_Return) << true << true;
        QTest::newRow("keypad Enter on Button1") << int(Qt::Key_Enter) << true << true;
        QTest::newRow("Enter, nothing focused") << int(Qt::Key_Return) << false << false;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(bool, buttonFocused);
        QFETCH(bool, closes);
        TAboutFrm *dlg = openDirect();
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        auto *ok = control<QPushButton>(dlg, "Button1");
        QTRY_VERIFY(ok->hasFocus());
        if (!buttonFocused)
            ok->clearFocus();
        QWidget *target = buttonFocused ? static_cast<QWidget *>(ok) : dlg;
        QPointer<TAboutFrm> guard(dlg);
        QTest::keyClick(target, Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(dlg->isVisible(), !closes);
        QCOMPARE(AboutFrm == dlg, !closes);
        processDeferredDeletes();
        QCOMPARE(guard.isNull(), closes);
    }

    // The frames run 0 … last, 0 … last, 0, 1 over two loops and two steps; the
    // last frame is shown and one past the strip's end never is. What the paint box draws is the
    // strip's frame, also when it is repainted without a step (after being
    // uncovered).
    void frameSequence()
    {
        TAboutFrm *dlg = openDirect();
        auto *tmr = dlg->findChild<QTimer *>(QStringLiteral("Tmr"));
        QVERIFY(tmr);
        QCOMPARE(tmr->interval(), design::kFrameIntervalMs);
        QVERIFY(tmr->isActive());
        QVERIFY(!tmr->isSingleShot());
        tmr->stop(); // steps below are driven by hand

        QCOMPARE(dlg->NextFrame(), (TFrameRect{0, 0, kFrameW, kFrameH}));
        auto *box = control<QWidget>(dlg, "GRImg");
        const QImage strip(QStringLiteral(":/about/signature.png"));
        const auto stripFrame = [&](int left) {
            return strip.copy(left, 0, kFrameW, kFrameH).convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), stripFrame(0));

        QList<int> shownLefts, expectedLefts;
        for (int step = 0; step < 2 * kFrames + 2; ++step) {
            dlg->TmrTimer();
            const TFrameRect shown = dlg->ShownFrame();
            shownLefts.append(shown.Left);
            expectedLefts.append(kFrameW * (step % kFrames));
            QCOMPARE(shown.Right - shown.Left, kFrameW);
            QCOMPARE(shown.Top, 0);
            QCOMPARE(shown.Bottom, kFrameH);
            QCOMPARE(dlg->NextFrame().Left, shown.Left + kFrameW);
            const QImage drawn = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY2(drawn == stripFrame(shown.Left), qPrintable(QString::number(step)));
            // A repaint with no step in between shows the same frame again.
            box->repaint();
            QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), drawn);
        }
        QCOMPARE(shownLefts, expectedLefts);
        QVERIFY(shownLefts.contains(kStripWidth - kFrameW));
        QVERIFY(!shownLefts.contains(kStripWidth));
    }

    void timerDrivesAnimation()
    {
        TAboutFrm *dlg = openDirect();
        QTRY_VERIFY_WITH_TIMEOUT(dlg->ShownFrame().Left >= 3 * kFrameW, 2000);
    }

    // Through the Information button with real events: the window is modal,
    // Button1 has the focus, and every way of closing it empties the
    // reference and lets the window free itself.
    void openAndCloseThroughMainWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click Button1") << "click";
        QTest::newRow("Enter on Button1") << "enter";
        QTest::newRow("Escape, then click Button1") << "escape";
        QTest::newRow("close box") << "closebox";
        QTest::newRow("accept") << "accept";
    }
    void openAndCloseThroughMainWindow()
    {
        QFETCH(QString, how);
        const int topLevels = QApplication::topLevelWidgets().size();
        QPointer<TAboutFrm> opened;
        openThroughMainWindow([&](TAboutFrm *dlg) {
            opened = dlg;
            QCOMPARE(QApplication::activeModalWidget(), dlg);
            QVERIFY(dlg->isVisible());
            auto *ok = control<QPushButton>(dlg, "Button1");
            QCOMPARE(dlg->focusWidget(), ok);
            if (how == QLatin1String("click")) {
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if (how == QLatin1String("enter")) {
                QTest::keyClick(ok, Qt::Key_Return);
            } else if (how == QLatin1String("escape")) {
                QTest::keyClick(ok, Qt::Key_Escape);
                QTest::keyClick(dlg, Qt::Key_Escape);
                QVERIFY(dlg->isVisible());
                QCOMPARE(AboutFrm, dlg);
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if (how == QLatin1String("closebox")) {
                // What the window manager sends for the close box and Alt+F4.
                QCloseEvent close;
                QCoreApplication::sendEvent(dlg->windowHandle(), &close);
            } else {
                dlg->accept();
            }
            QVERIFY(!AboutFrm);
            QVERIFY(!dlg->isVisible());
        });
        QVERIFY(opened); // release is only scheduled so far
        processDeferredDeletes();
        QVERIFY(!opened);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
    }

    // Every opening starts the animation afresh at frame 0.
    void everyOpeningStartsAtFrameZero()
    {
        ShowSpy spy;
        qApp->installEventFilter(&spy);
        for (int i = 0; i < 3; ++i) {
            openThroughMainWindow([](TAboutFrm *dlg) {
                // Let the animation run on a few frames before closing.
                QTRY_VERIFY(dlg->ShownFrame().Left >= 2 * kFrameW);
                dlg->close();
            });
            processDeferredDeletes();
        }
        qApp->removeEventFilter(&spy);
        QCOMPARE(spy.seen.size(), 3);
        for (const ShowSpy::Seen &s : spy.seen) {
            QCOMPARE(s.next, (TFrameRect{0, 0, kFrameW, kFrameH}));
            QCOMPARE(s.shown.Left, 0);
            QVERIFY(s.timerActive);
        }
    }

    // The opener frees a window that is still held by the reference (it never
    // closed), and a window destroyed that way empties the reference too.
    void openerFreesWhatIsLeft()
    {
        QPointer<TAboutFrm> dlg = openDirect();
        delete AboutFrm;
        QVERIFY(!dlg);
        QVERIFY(!AboutFrm);
    }

    void thousandCyclesLeaveNothing()
    {
        const int topLevels = QApplication::topLevelWidgets().size();
        QList<QPointer<QObject>> left;
        for (int i = 0; i < 1000; ++i) {
            openThroughMainWindow([&](TAboutFrm *dlg) {
                left.append(dlg);
                left.append(dlg->findChild<QTimer *>(QStringLiteral("Tmr")));
                QTest::mouseClick(control<QPushButton>(dlg, "Button1"), Qt::LeftButton);
            });
            if (QTest::currentTestFailed())
                return;
            // The main loop would release each window before the next click.
            processDeferredDeletes();
        }
        QCOMPARE(left.size(), 2000);
        for (const QPointer<QObject> &object : left)
            QVERIFY(!object);
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

// The program's own application object, so that the tests see the style and
// the font faces that the program uses.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TApplication app(argc, argv);
    TestAbout tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_about.moc"

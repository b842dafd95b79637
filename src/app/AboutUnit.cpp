// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AboutUnit.h"
#include "AboutFrmDesign.h"
#include "Accessibility.h"
#include "Application.h"
#include "DesignLayout.h"
#include "ui_AboutUnit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TAboutFrm *AboutFrm = nullptr;

namespace {

// The sizes and texts of the layout (AboutUnit.ui), read from it at build time.
namespace design = psifonomoi::design::aboutfrm;

// Set in the layout on a label that carries on the sentence of the label
// before it: the warning is one sentence broken over two labels.
constexpr char kContinuesSentence[] = "continuesSentence";

// What assistive technology sees of such a label: nothing. The label it
// continues is named with the whole sentence, and the broken half read again
// on its own would start mid-sentence ("σας πρωτοβουλία..."). Qt has no
// relation for text that flows on into another object.
class TContinuationAccessible : public QAccessibleWidget
{
public:
    explicit TContinuationAccessible(QWidget *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface *ContinuationAccessible(const QString &, QObject *object)
{
    // The property is set by setupUi before any text is, and so before the
    // first accessibility event could create the label's interface.
    if (object && object->isWidgetType() && object->property(kContinuesSentence).toBool())
        return new TContinuationAccessible(static_cast<QWidget *>(object));
    return nullptr;
}
} // namespace

void InstallAboutAccessibility()
{
    QAccessible::installFactory(ContinuationAccessible);
}

TAboutFrm::TAboutFrm(QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::TAboutFrm>()), Tmr(new QTimer(this))
{
    ui->setupUi(this);
    psifonomoi::UseDesignPixelSizes(this);

    // Fixed dialog frame: close box and context-help box, no minimise or
    // maximise box, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(design::kClientWidth, design::kClientHeight);
    setModal(true);

    Tmr->setObjectName(QStringLiteral("Tmr"));
    Tmr->setInterval(design::kFrameIntervalMs);
    using psifonomoi::ConnectHandler;
    ConnectHandler(Tmr, &QTimer::timeout, this, [this] { TmrTimer(); });
    ConnectHandler(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    // GRImg has no drawing of its own; this window paints the current frame into it.
    ui->GRImg->installEventFilter(this);

    FormCreate();
}

TAboutFrm::~TAboutFrm()
{
    // Destroyed without closing (by its opener or its owner): do not leave the
    // program-wide reference pointing at a dead window.
    if (AboutFrm == this)
        AboutFrm = nullptr;
}

void TAboutFrm::FormCreate()
{
    // The title and copyright line are the program's constants (taken from
    // the layout when the program was built), whatever the labels held before.
    ui->Label5->setText(QString::fromUtf16(design::kCopyrightText));
    ui->Label10->setText(QString::fromUtf16(design::kTitleText));
    ui->Label2->setAccessibleName(ui->Label2->text() + QLatin1Char(' ') + ui->Label3->text());
    psifonomoi::FitCaptions(this);
    FrameRect = {0, 0, design::kFrameWidth, design::kFrameHeight};
    // Until the first step the paint box shows the first frame rather than nothing.
    FShownRect = FrameRect;
    Tmr->start();
}

void TAboutFrm::FormShow()
{
    // Button1 is the first enabled tab stop; give it the focus even before the
    // window manager activates the window.
    ui->Button1->setFocus(Qt::TabFocusReason);

    // Centred on the screen, not on the window that opened it. Before the
    // window is mapped its frame may still be unknown, so this centres the
    // outer size as far as it is known.
    QScreen *target = parentWidget() ? parentWidget()->screen() : screen();
    if (!target)
        return;
    const QRect desk = target->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(desk.x() + (desk.width() - outer.width()) / 2,
         desk.y() + (desk.height() - outer.height()) / 2);
    setAttribute(Qt::WA_Moved, false); // not a position the user chose
}

void TAboutFrm::FormClose()
{
    if (FReleaseScheduled)
        return;
    FReleaseScheduled = true;
    Tmr->stop();
    // The window frees itself once control is back in the event loop; the
    // opener then finds the reference empty and frees nothing.
    deleteLater();
    if (AboutFrm == this)
        AboutFrm = nullptr;
}

void TAboutFrm::Button1Click()
{
    close();
}

void TAboutFrm::TmrTimer()
{
    if (FrameRect.Left >= design::kFrameWidth * design::kFrameCount) {
        FrameRect.Left = 0;
        FrameRect.Right = design::kFrameWidth;
    }
    // Drawing happens in GRImg's paint event, which also redraws this frame
    // after the window has been covered and uncovered.
    FShownRect = FrameRect;
    ui->GRImg->update();
    FrameRect.Left += design::kFrameWidth;
    FrameRect.Right += design::kFrameWidth;
}

void TAboutFrm::done(int result)
{
    QDialog::done(result);
    // Closing by accept(), reject() or done() bypasses closeEvent.
    psifonomoi::RunGuarded([this] { FormClose(); });
}

void TAboutFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        psifonomoi::RunGuarded([this] { FormShow(); });
}

void TAboutFrm::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        psifonomoi::RunGuarded([this] { FormClose(); });
}

void TAboutFrm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // There is no cancel button: Escape leaves the window open.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // There is no default button: Enter presses the focused push button
        // and nothing else. (Buttons here are not auto-default, so a focused
        // button passes Enter up to the window.)
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            auto *button = qobject_cast<QPushButton *>(focusWidget());
            if (button && button->isEnabled() && button->isVisible())
                button->click();
        }
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool TAboutFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->GRImg && event->type() == QEvent::Paint) {
        // One frame of the strip, unscaled, onto the whole paint box.
        const QPixmap strip = ui->SignatureImg->pixmap();
        QPainter painter(ui->GRImg);
        painter.drawPixmap(ui->GRImg->rect(), strip,
                           QRect(FShownRect.Left, FShownRect.Top,
                                 FShownRect.Right - FShownRect.Left,
                                 FShownRect.Bottom - FShownRect.Top));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AboutUnit.h"
#include "ui_AboutUnit.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TAboutFrm *AboutFrm = nullptr;

const QString TAboutFrm::TitleText = QStringLiteral("Ψηφόνομοι ®  έκδοση");
const QString TAboutFrm::CopyrightText = QStringLiteral("© 2026 Οι συντελεστές του «Ψηφόνομοι»");

namespace {
// Designer stores font sizes in points only; the window is drawn to pixel
// heights, which do not change with the display's resolution.
constexpr int BodyFontPixels = 11;
constexpr int TitleFontPixels = 19;
constexpr int AnimationIntervalMs = 50;
} // namespace

TAboutFrm::TAboutFrm(QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::TAboutFrm>()), Tmr(new QTimer(this))
{
    ui->setupUi(this);

    QFont body = font();
    body.setPixelSize(BodyFontPixels);
    setFont(body);
    QFont title = ui->Label10->font();
    title.setPixelSize(TitleFontPixels);
    ui->Label10->setFont(title);
    ui->HVersionLabel1->setFont(title);

    // Fixed dialog frame: close box and context-help box, no minimise or
    // maximise box, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(371, 247);
    setModal(true);

    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/psifonomoi-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/psifonomoi-32.png"), QSize(32, 32));
    setWindowIcon(icon);

    Tmr->setObjectName(QStringLiteral("Tmr"));
    Tmr->setInterval(AnimationIntervalMs);
    connect(Tmr, &QTimer::timeout, this, &TAboutFrm::TmrTimer);
    connect(ui->Button1, &QPushButton::clicked, this, &TAboutFrm::Button1Click);
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
    ui->Label5->setText(CopyrightText);
    ui->Label10->setText(TitleText);
    FitCaptions();
    FrameRect = {0, 0, FrameWidth, FrameHeight};
    // Until the first step the paint box shows the first frame rather than nothing.
    FShownRect = FrameRect;
    Tmr->start();
}

void TAboutFrm::FitCaptions()
{
    // The labels were laid out for a bitmap face a few pixels narrower than the
    // scalable faces drawn here. Single-line labels size themselves to their
    // text, as the layout's labels are meant to; the word-wrapped warning keeps
    // its width and grows only in height if its lines need it. They only ever
    // grow, from their top left corner, into free space on their right or below.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue; // a picture, not a caption
        QSize needed = label->sizeHint();
        if (label->wordWrap())
            needed = QSize(label->width(), label->heightForWidth(label->width()));
        label->resize(label->size().expandedTo(needed));
    }
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
    if (FrameRect.Left >= FrameWidth * FrameCount) {
        FrameRect.Left = 0;
        FrameRect.Right = FrameWidth;
    }
    // Drawing happens in GRImg's paint event, which also redraws this frame
    // after the window has been covered and uncovered.
    FShownRect = FrameRect;
    ui->GRImg->update();
    FrameRect.Left += FrameWidth;
    FrameRect.Right += FrameWidth;
}

void TAboutFrm::done(int result)
{
    QDialog::done(result);
    // Closing by accept(), reject() or done() bypasses closeEvent.
    FormClose();
}

void TAboutFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TAboutFrm::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        FormClose();
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

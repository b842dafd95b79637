// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Unit1.h"

#include "AboutUnit.h"
#include "Application.h"
#include "WordValue.h"
#include "ui_Unit1.h"

#include <QKeyEvent>
#include <QStringView>

#include <string_view>

TForm1 *Form1 = nullptr;

namespace {

// A label that sizes to its text: as wide as its caption, height as laid out.
void SizeToText(QLabel *label)
{
    label->resize(label->sizeHint().width(), label->height());
}

} // namespace

TForm1::TForm1(QWidget *owner) : QWidget(owner), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    psifonomoi::UseDesignPixelSizes(this);
    // The visual-styles manifest of the original platform has no counterpart
    // here: Qt draws the controls in the application's style.

    FDesignedSize = size();
    for (QWidget *control : findChildren<QWidget *>()) {
        const QString anchors = control->property("anchors").toString();
        if (!anchors.contains(QLatin1String("right")))
            continue;
        FAnchors.push_back({control, control->geometry(), anchors.contains(QLatin1String("left"))});
    }

    // The first position on screen, where the window system lets a program
    // choose it.
    move(236, 160);

    using psifonomoi::ConnectHandler;
    ConnectHandler(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ConnectHandler(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ConnectHandler(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    // Connected after the layout restored the checked state, so that start-up
    // runs no calculation; toggled(true) fires only for the button that
    // becomes checked, never for one chosen again.
    for (QRadioButton *radio : {ui->RadioButton1, ui->RadioButton2}) {
        connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                psifonomoi::RunGuarded([this] { Button1Click(); });
        });
    }
}

TForm1::~TForm1() = default;

QSize TForm1::sizeHint() const
{
    return FDesignedSize;
}

void TForm1::Button1Click()
{
    const QString text = ui->Edit1->text();
    const auto system =
        ui->RadioButton1->isChecked() ? psifonomoi::vsClassical : psifonomoi::vsPositional;
    // Pointer and length: the text may hold NUL characters, and every one of
    // its characters is valued.
    const psifonomoi::TWordValueResult result = psifonomoi::CalculateWordValue(
        std::u16string_view(QStringView(text).utf16(), static_cast<std::size_t>(text.size())),
        system);
    ui->Label2->setText(QString::number(result.WordValue));
    SizeToText(ui->Label2);
    ui->Label4->setText(QString::number(result.Primary));
    SizeToText(ui->Label4);
}

void TForm1::Button2Click()
{
    AboutFrm = new TAboutFrm();
    AboutFrm->exec();
    // The window empties AboutFrm when it schedules its own release; whatever
    // is left here is still ours to free.
    delete AboutFrm;
    AboutFrm = nullptr;
}

void TForm1::Button3Click()
{
    close();
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // A plain widget has no dialog manager: Enter and Escape reach the window
    // only when the focused control leaves them, and are routed here.
    const bool plain =
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain) {
            // A focused push button takes Enter itself; otherwise it goes to
            // the default button.
            auto *focused = qobject_cast<QPushButton *>(focusWidget());
            (focused && focused->window() == this ? focused : ui->Button1)->click();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (plain) {
            ui->Button3->click(); // the cancel button
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    // The layout places controls absolutely; those anchored to the right edge
    // follow it. Nested controls grow with their group, which grows by the
    // same amount as the window.
    const int grown = width() - FDesignedSize.width();
    for (const TAnchor &a : FAnchors) {
        QRect r = a.Designed;
        if (a.Stretch)
            r.setWidth(a.Designed.width() + grown);
        else
            r.moveLeft(a.Designed.left() + grown);
        a.Control->setGeometry(r);
    }
    QWidget::resizeEvent(event);
}

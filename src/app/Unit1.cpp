// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Unit1.h"

#include "AboutUnit.h"
#include "Application.h"
#include "DesignLayout.h"
#include "Form1Design.h"
#include "WordValue.h"
#include "ui_Unit1.h"

#include <QAction>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QStringView>

#include <string_view>

TForm1 *Form1 = nullptr;

namespace {

// The menu of a selectable label: copy the selection, select all. Qt 6.4's
// QLabel offers its own only over a link, never for plain text, so this one
// stands in for it, with Qt's own texts (translated like the edit's menu).
void ResultContextPopup(QLabel *label, const QPoint &pos)
{
    auto *menu = new QMenu(label);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto text = [](const char *source, QKeySequence::StandardKey key) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        return QCoreApplication::translate("QWidgetTextControl", source) +
               (shortcut.isEmpty() ? QString() : QLatin1Char('\t') + shortcut);
    };
    QAction *copy = menu->addAction(text("&Copy", QKeySequence::Copy));
    copy->setEnabled(label->hasSelectedText());
    QObject::connect(copy, &QAction::triggered, label,
                     [label] { QGuiApplication::clipboard()->setText(label->selectedText()); });
    menu->addSeparator();
    QAction *all = menu->addAction(text("Select All", QKeySequence::SelectAll));
    QObject::connect(all, &QAction::triggered, label,
                     [label] { label->setSelection(0, static_cast<int>(label->text().size())); });
    menu->popup(label->mapToGlobal(pos));
}

} // namespace

TForm1::TForm1(QWidget *owner) : QWidget(owner), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    psifonomoi::UseDesignPixelSizes(this);
    // The visual-styles manifest of the original platform has no counterpart
    // here: Qt draws the controls in the application's style.

    // The window is drawn in the button face, as the controls on it are (a
    // top-level window fills with the window colour unless it fills itself).
    // The two are the same colour in the application's own palette, not in
    // every desktop theme's.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // For assistive technology: the instruction above the edit describes it,
    // and each result is read with its caption ("Ψηφόνομος: 93") while its own
    // name stays the bare number.
    ui->Edit1->setAccessibleDescription(ui->Label5->text());
    ui->Label1->setBuddy(ui->Label2);
    ui->Label3->setBuddy(ui->Label4);

    FDesignedSize = size();
    FAnchors = std::make_unique<psifonomoi::RightEdgeAnchors>(this);

    // The first position on screen, where the window system lets a program
    // choose it.
    move(psifonomoi::design::form1::kFirstLeft, psifonomoi::design::form1::kFirstTop);

    using psifonomoi::ConnectHandler;
    // The edit's own menu plus one item, built here so that it works for any
    // kind of line edit the layout holds; it opens from the keyboard too (the
    // menu key), the keyboard's way to copy a result, since the result labels
    // are no tab stops. Each result label has a copy menu of its own.
    ui->Edit1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->Edit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { Edit1ContextPopup(pos); });
    for (QLabel *result : {ui->Label2, ui->Label4}) {
        result->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(result, &QWidget::customContextMenuRequested, this,
                [result](const QPoint &pos) { ResultContextPopup(result, pos); });
    }
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
    psifonomoi::SizeToText(ui->Label2);
    ui->Label4->setText(QString::number(result.Primary));
    psifonomoi::SizeToText(ui->Label4);

    // What the shown results belong to, for copying them later. The text is
    // shared, not copied, so a long text costs nothing here.
    FCalculatedText = text;
    FCalculatedSystem = ui->RadioButton1->isChecked() ? ui->RadioButton1 : ui->RadioButton2;
}

void TForm1::Edit1ContextPopup(const QPoint &pos)
{
    QMenu *menu = ui->Edit1->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    // A new action with every menu, like the edit's own: assistive technology
    // keeps track of an action by the menu it was first shown in.
    QAction *copy = menu->addAction(QStringLiteral("Αντιγραφή α&ποτελέσματος"));
    copy->setObjectName(QStringLiteral("CopyResult"));
    copy->setEnabled(FCalculatedSystem != nullptr);
    psifonomoi::ConnectHandler(copy, &QAction::triggered, this, [this] { CopyResultClick(); });
    menu->popup(ui->Edit1->mapToGlobal(pos));
}

void TForm1::CopyResultClick()
{
    if (!FCalculatedSystem)
        return;
    QGuiApplication::clipboard()->setText(
        QStringLiteral("%1 = %2 (%3), %4")
            .arg(FCalculatedText, ui->Label2->text(), ui->Label4->text(),
                 FCalculatedSystem->text().remove(QLatin1Char('&'))));
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
    FAnchors->Follow();
    QWidget::resizeEvent(event);
}

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator window: the text, the choice of letter-value system, and the
// two results. The arithmetic lives in the engine; this class only wires the
// controls of its layout (Unit1.ui) to it.
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *owner = nullptr);
    ~TForm1() override;

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // A control that follows the window's right edge, as its layout says.
    struct TAnchor
    {
        QWidget *Control;
        QRect Designed;
        bool Stretch; // keeps both side distances; otherwise keeps its size
    };

    std::unique_ptr<Ui::TForm1> ui;
    std::vector<TAnchor> FAnchors;
    QSize FDesignedSize;
};

// The main window, set while it exists.
extern TForm1 *Form1;

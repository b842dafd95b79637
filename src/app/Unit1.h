// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator window: the text, the choice of letter-value system, and the
// two results. The arithmetic lives in the engine; this class only wires the
// controls of its layout (Unit1.ui) to it.
#pragma once

#include <QWidget>

#include <memory>

class QPoint;
class QRadioButton;

namespace Ui {
class TForm1;
}
namespace psifonomoi {
class RightEdgeAnchors;
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
    void Edit1ContextPopup(const QPoint &pos);
    void CopyResultClick();

    std::unique_ptr<Ui::TForm1> ui;
    QSize FDesignedSize;
    std::unique_ptr<psifonomoi::RightEdgeAnchors> FAnchors;
    // The text and system the results on show were calculated for (the edit
    // may have changed since); no system before the first calculation.
    QString FCalculatedText;
    const QRadioButton *FCalculatedSystem = nullptr;
};

// The main window, set while it exists.
extern TForm1 *Form1;

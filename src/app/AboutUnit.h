// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The modal information window opened by the main window's Information button.
#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

class QTimer;
namespace Ui {
class TAboutFrm;
}

class TAboutFrm;

// The one about window that is open, or null. The opener stores the window it
// creates here; the window empties it itself when it closes, so that the
// opener frees nothing twice.
extern TAboutFrm *AboutFrm;

// A rectangle with an exclusive right and bottom edge, as the animation
// arithmetic counts them (frame k spans columns k × width up to, not including,
// (k + 1) × width).
struct TFrameRect
{
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TFrameRect &, const TFrameRect &) = default;
};

class TAboutFrm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutFrm(QWidget *owner = nullptr);
    ~TAboutFrm() override;

    // The frame the next animation step will show.
    TFrameRect NextFrame() const { return FrameRect; }
    // The frame GRImg shows now.
    TFrameRect ShownFrame() const { return FShownRect; }

    void done(int result) override;

public slots:
    // One animation step; Tmr calls it every 50 milliseconds.
    void TmrTimer();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void Button1Click();

    std::unique_ptr<Ui::TAboutFrm> ui;
    QTimer *Tmr;
    TFrameRect FrameRect;
    TFrameRect FShownRect;
    bool FReleaseScheduled = false;
};

// The modal information window opened by the main window's Information button.
#pragma once

#include <QDialog>

class TAboutFrm;

// The one about window that is open, or null. The opener stores the window it
// creates here; the window empties it itself when it closes, so that the
// opener frees nothing twice.
extern TAboutFrm *AboutFrm;

class TAboutFrm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutFrm(QWidget *owner = nullptr);
    ~TAboutFrm() override;
};

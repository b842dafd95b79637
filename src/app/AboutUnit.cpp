#include "AboutUnit.h"

TAboutFrm *AboutFrm = nullptr;

TAboutFrm::TAboutFrm(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Πληροφορίες"));
}

TAboutFrm::~TAboutFrm() = default;

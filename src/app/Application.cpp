// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Application.h"

#include "Accessibility.h"

#include <QFile>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>

#include <exception>

namespace {

// Shown when something that is not a std::exception is thrown.
const char16_t *const kUnknownExceptionText = u"Παρουσιάστηκε ένα απρόβλεπτο σφάλμα.";

// The layouts name Windows faces. On Linux they are mapped to free faces of the
// same widths, so that captions sized for them fit: Liberation Sans has the
// advance widths of Arial, which at 11 px are within a pixel or two of the
// bitmap sans face the layouts were drawn with; Liberation Serif those of
// Times New Roman. The narrow face is only a fallback for systems without the
// regular one.
void MapWindowsFonts()
{
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("Liberation Sans Narrow")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
}

void LoadGreekTranslation(QCoreApplication &app)
{
    // Qt has no Greek catalogue of its own: ours covers the texts Qt draws
    // itself (the edit's context menu, the message box buttons).
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral(":/i18n/psifonomoi_el.qm")))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

void SetWindowIcon()
{
    QIcon icon;
    for (const auto *path : {":/icons/psifonomoi-16.png", ":/icons/psifonomoi-32.png"}) {
        const QString file = QString::fromLatin1(path);
        if (QFile::exists(file))
            icon.addFile(file);
    }
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The windows have fixed geometry: a style with other margins or larger
    // indicators (as some desktop styles have) would clip their captions.
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        setStyle(fusion);
    MapWindowsFonts();
    LoadGreekTranslation(*this);
    SetWindowIcon();
    InstallLineEditAccessibility();
    InstallAboutAccessibility();
}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    // The net for an exception that no handler caught: it must not unwind into
    // Qt's event loop, and every event dispatch passes through here.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QString::fromUtf16(kUnknownExceptionText));
    }
    return false;
}

void TApplication::ShowException(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Ψηφόνομοι"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

namespace psifonomoi {

void RunGuarded(const std::function<void()> &handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        TApplication::ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        TApplication::ShowException(QString::fromUtf16(kUnknownExceptionText));
    }
}

} // namespace psifonomoi

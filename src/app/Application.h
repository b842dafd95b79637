// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The application object of the window program: start-up set-up (style, fonts,
// Greek translation of Qt's own texts, icon) and the default handler that shows
// an exception escaping an event handler instead of letting it end the program.
#pragma once

#include <QApplication>

#include <functional>

class QWidget;

class TApplication : public QApplication
{
    Q_OBJECT

public:
    // argc is a reference because QApplication keeps it for its lifetime.
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows an exception's message the way the program reports every failure:
    // a modal error box over the active window. Returns when it is closed.
    static void ShowException(const QString &message);
};

namespace psifonomoi {

// Runs a handler; an exception it throws is shown like any other failure and
// goes no further. Qt's own code is built without clean-ups for exceptions,
// so one unwinding through it (to the net in TApplication::notify) would skip
// destructors and leave its state half-changed; handlers are caught first.
void RunGuarded(const std::function<void()> &handler) noexcept;

// Connects a signal to a handler that runs guarded (see RunGuarded).
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection ConnectHandler(const Sender *sender, Signal signal, const QObject *context,
                                       Handler handler)
{
    return QObject::connect(sender, signal, context, [handler] { RunGuarded(handler); });
}

} // namespace psifonomoi

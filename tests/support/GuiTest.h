// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Shared by the window tests: forces the offscreen platform unless the caller
// chose one, starts the program's own application object (style, fonts, Greek
// texts, exception handler), and fails the running test if a modal window
// turns up that the test did not ask for (a stray message box would otherwise
// hang the suite).
#pragma once

#include "Application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace psifonomoi::testing {

// Watches for unexpected modal windows while alive. A test that expects one
// calls allow(true) before triggering it.
class ModalWatch : public QObject
{
public:
    explicit ModalWatch(QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { check(); });
        m_timer.start();
    }
    void allow(bool allowed) { m_allowed = allowed; }
    // The title of the last unexpected modal window, empty if none appeared.
    QString unexpected() const { return m_unexpected; }

private:
    void check()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || m_allowed)
            return;
        m_unexpected = modal->windowTitle().isEmpty() ? modal->metaObject()->className()
                                                      : modal->windowTitle();
        modal->close(); // unblock the test so that it can fail instead of hang
    }

    QTimer m_timer;
    bool m_allowed = false;
    QString m_unexpected;
};

// The control of a window by its name. A name that is not there means the
// layout and the test disagree, which no later check could make sense of: the
// suite stops there, naming it.
template <typename T> T *control(const QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window->objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

// Runs `handle` on the first modal window or pop-up menu that appears within
// `timeoutMs`, from the event loop that window runs; the handler should close
// it. Returns at once: call it just before the action that opens the window.
// `context` bounds the lifetime of the polling (usually the test object).
// Sets *seen (if given) to whether a window turned up.
inline void whenWindowAppears(QObject *context, std::function<void(QWidget *)> handle,
                              bool *seen = nullptr, int timeoutMs = 5000)
{
    if (seen)
        *seen = false;
    auto *timer = new QTimer(context);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w)
            w = QApplication::activePopupWidget();
        if (!w && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (w) {
            if (seen)
                *seen = true;
            handle(w);
        }
    });
    timer->start();
}

} // namespace psifonomoi::testing

// Like QTEST_MAIN, but offscreen by default and with the program's own
// application object. A test class may own a ModalWatch and check
// unexpected() in cleanup().
#define PSIFONOMOI_GUI_TEST_MAIN(TestObject)                                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        TApplication app(argc, argv);                                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

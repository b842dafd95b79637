// Shared by the window tests: forces the offscreen platform unless the caller
// chose one, and fails the running test if a modal window turns up that the
// test did not ask for (a stray message box would otherwise hang the suite).
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

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

} // namespace psifonomoi::testing

// Like QTEST_MAIN, but offscreen by default. A test class may own a ModalWatch
// and check unexpected() in cleanup().
#define PSIFONOMOI_GUI_TEST_MAIN(TestObject)                                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

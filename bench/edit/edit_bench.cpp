// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calculator's edit under long texts, driven through a real X server:
// keys are pressed by xdotool and texts pasted from a clipboard that xclip
// owns, as a user pasting from another program would. Measures
//   - the time from a key press reaching the edit to the end of the repaint
//     that shows it, for a Greek letter typed at the end of a short and a
//     long text;
//   - the CPU the program uses while it sits idle with the long text;
//   - pasting a very long text and pressing Enter: the time until the right
//     result is shown and the window answers again;
//   - the resident memory that text adds over the empty window's.
// Works with any edit that has a "text" property, so that builds before and
// after a change can be compared.
//   edit_bench [short letters] [long letters] [paste bytes]
#include "Application.h"
#include "Unit1.h"
#include "WordValue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident memory now, not the peak: what the text costs while it is held.
double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        spin(5);
    }
    return true;
}

// Real key presses through the X server. The event loop runs meanwhile: for a
// letter its layout lacks, xdotool maps a spare key for a moment, and the
// program must see that mapping while it lasts.
void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForStarted();
    while (process.state() != QProcess::NotRunning)
        spin(2);
}

void keys(const QStringList &names)
{
    xdotool(QStringList{QStringLiteral("key")} + names);
}

// Puts a file on the clipboard, owned by xclip as another program would own it.
void offerClipboard(const QString &path)
{
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("xclip -selection clipboard -i '%1' >/dev/null 2>&1 &").arg(path)});
    spin(300);
}

// Notes when a key press reaches the edit and when the repaint after it is
// done and on its way to the screen.
class KeyToPaint : public QObject
{
public:
    explicit KeyToPaint(QWidget *edit) : m_edit(edit) { edit->installEventFilter(this); }
    void arm()
    {
        m_keyAt = m_paintedAt = -1;
        m_waiting = true;
    }
    bool painted() const { return m_paintedAt >= 0; }
    double keyAt() const { return m_keyAt; }
    double elapsed() const { return m_paintedAt - m_keyAt; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit && m_waiting) {
            if (event->type() == QEvent::KeyPress && m_keyAt < 0)
                m_keyAt = nowMs();
            else if (event->type() == QEvent::Paint && m_keyAt >= 0) {
                m_waiting = false;
                QTimer::singleShot(0, this, [this] { m_paintedAt = nowMs(); });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_edit;
    bool m_waiting = false;
    double m_keyAt = -1, m_paintedAt = -1;
};

// The bench ends itself when the window stops answering for good.
std::atomic<int> g_deadline{0};
void watchdog()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const int left = --g_deadline;
        if (left == 0) {
            std::printf("  the window did not answer in time: stopped\n");
            std::fflush(stdout);
            std::_Exit(2);
        }
    }
}

QString greekText(qsizetype length)
{
    const QString pattern =
        QStringLiteral("Εν αρχή ην ο λόγος, και ο λόγος ην προς τον Θεόν, και Θεός ην ο λόγος. ");
    QString text;
    text.reserve(length + pattern.size());
    while (text.size() < length)
        text += pattern;
    text.truncate(length);
    return text;
}

QString writeFile(const QTemporaryDir &dir, const QString &text)
{
    const QString path = dir.filePath(QString::number(text.size()) + QStringLiteral(".txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::exit(1);
    f.write(text.toUtf8());
    return path;
}

struct Stats
{
    double median, max;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    const qsizetype shortLength = argc > 1 ? std::atoll(argv[1]) : 100;
    const qsizetype longLength = argc > 2 ? std::atoll(argv[2]) : 1'000'000;
    const qsizetype pasteBytes = argc > 3 ? std::atoll(argv[3]) : 10'000'000;
    TApplication application(argc, argv);
    TForm1 form;
    Form1 = &form;
    form.show();
    auto *edit = form.findChild<QWidget *>(QStringLiteral("Edit1"));
    auto *word = form.findChild<QLabel *>(QStringLiteral("Label2"));
    const auto text = [edit] { return edit->property("text").toString(); };
    form.activateWindow();
    edit->setFocus();
    spin(1000);
    const double emptyMiB = residentMiB();
    QTemporaryDir dir;
    KeyToPaint watch(edit);
    std::thread(watchdog).detach();

    // Replaces the whole text with a file's through the clipboard, by keys
    // that mean the same on every layout.
    const auto paste = [&](const QString &path, qsizetype expected) {
        offerClipboard(path);
        keys({QStringLiteral("End"), QStringLiteral("shift+Home"), QStringLiteral("shift+Insert")});
        return waitFor([&] { return text().size() == expected; }, 600'000);
    };
    const auto typeAtEnd = [&](int count) {
        keys({QStringLiteral("End")});
        spin(200);
        std::vector<double> times;
        const qsizetype before = text().size();
        for (int i = 0; i < count; ++i) {
            watch.arm();
            xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("100"),
                     QStringLiteral("α")});
            if (!waitFor([&] { return watch.painted(); }, 60'000))
                return Stats{-1, -1};
            times.push_back(watch.elapsed());
            spin(100);
        }
        if (text().size() != before + count || !text().endsWith(QStringLiteral("α")))
            std::printf("  %lld of %d letters arrived; the text ends in \"%s\"\n",
                        static_cast<long long>(text().size() - before), count,
                        qPrintable(text().right(3)));
        return stats(times);
    };

    std::printf("Edit benchmark (Xvfb, xdotool, xclip); empty window %.1f MiB resident\n",
                emptyMiB);

    g_deadline = 120;
    if (!paste(writeFile(dir, greekText(shortLength)), shortLength))
        return 1;
    spin(500);
    Stats s = typeAtEnd(20);
    std::printf(
        "%lld letters: key to repaint, a letter typed at the end: median %.2f ms, max %.2f ms\n",
        static_cast<long long>(shortLength), s.median, s.max);

    g_deadline = 900;
    if (!paste(writeFile(dir, greekText(longLength)), longLength))
        return 1;
    spin(2000);
    double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    spin(10'000);
    std::printf("%lld letters: idle CPU %.2f%% of a core\n", static_cast<long long>(longLength),
                100.0 * (cpuSeconds() - cpu) / (static_cast<double>(clock.elapsed()) / 1000.0));
    g_deadline = 900;
    s = typeAtEnd(20);
    std::printf(
        "%lld letters: key to repaint, a letter typed at the end: median %.2f ms, max %.2f ms\n",
        static_cast<long long>(longLength), s.median, s.max);

    // Pasting a long text (its UTF-8 size given), then Enter at once.
    QString big = greekText(pasteBytes);
    while (big.toUtf8().size() > pasteBytes)
        big.chop(big.size() / 100 + 1);
    const auto expected = psifonomoi::CalculateWordValue(
        std::u16string_view(reinterpret_cast<const char16_t *>(big.utf16()),
                            static_cast<std::size_t>(big.size())),
        psifonomoi::vsClassical);
    const QString path = writeFile(dir, big);
    const qsizetype bigLength = big.size();
    big = QString();
    offerClipboard(path);
    keys({QStringLiteral("End"), QStringLiteral("shift+Home")});
    spin(500);
    word->setText(QString());
    g_deadline = 120;
    watch.arm();
    keys({QStringLiteral("shift+Insert"), QStringLiteral("Return")});
    bool answered = false;
    const bool shown = waitFor(
        [&] {
            if (word->text() != QString::number(expected.WordValue))
                return false;
            answered = true;
            return true;
        },
        600'000);
    const double responsive = nowMs() - watch.keyAt();
    std::printf(
        "paste %lld bytes (%lld characters), then Enter: %s %.0f ms after the paste key%s\n",
        static_cast<long long>(pasteBytes), static_cast<long long>(bigLength),
        shown && answered ? "right value shown and answering" : "NOT shown", responsive,
        text().size() == bigLength ? "" : " (text length wrong)");
    spin(3000);
    const double usedMiB = residentMiB() - emptyMiB;
    const double utf16MiB = static_cast<double>(bigLength) * 2 / 1048576.0;
    std::printf(
        "  memory over the empty window: %.1f MiB = %.2f × the text's UTF-16 size (%.1f MiB)\n",
        usedMiB, usedMiB / utf16MiB, utf16MiB);
    cpu = cpuSeconds();
    clock.restart();
    spin(5000);
    std::printf("  idle CPU with it: %.2f%% of a core\n",
                100.0 * (cpuSeconds() - cpu) / (static_cast<double>(clock.elapsed()) / 1000.0));
    Form1 = nullptr;
    std::_Exit(0); // xclip may still own the clipboard; nothing to tidy up
}

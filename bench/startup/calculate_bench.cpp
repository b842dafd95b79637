// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Time from pressing Enter in an edit holding 1,000,000 Greek letters to both
// result labels holding the new values, and to the repaint that follows.
#include "Application.h"
#include "Unit1.h"

#include "LineEdit.h"
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    TForm1 form;
    Form1 = &form;
    form.show();
    QApplication::processEvents();

    auto *edit = form.findChild<TLineEdit *>(QStringLiteral("Edit1"));
    auto *word = form.findChild<QLabel *>(QStringLiteral("Label2"));
    auto *primary = form.findChild<QLabel *>(QStringLiteral("Label4"));
    const QString pattern = QStringLiteral("αβγδεζηθικλμνξοπρστυφχψω");
    QString text;
    text.reserve(1'000'000);
    while (text.size() < 1'000'000)
        text += pattern;
    text.truncate(1'000'000);
    edit->setText(text);
    edit->setFocus();
    QApplication::processEvents();

    std::vector<double> toLabels, toPainted;
    for (int i = 0; i < 21; ++i) {
        word->setText(QString());
        primary->setText(QString());
        QApplication::processEvents();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QElapsedTimer clock;
        clock.start();
        QApplication::sendEvent(edit, &press);
        const double labels = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (word->text().isEmpty() || primary->text().isEmpty()) {
            std::fprintf(stderr, "the labels were not updated\n");
            return 1;
        }
        // What a user sees: the pending repaints (the two labels) done.
        QApplication::processEvents();
        const double painted = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        QApplication::sendEvent(edit, &release);
        if (i > 0) {
            toLabels.push_back(labels);
            toPainted.push_back(painted);
        }
    }
    std::sort(toLabels.begin(), toLabels.end());
    std::sort(toPainted.begin(), toPainted.end());
    std::printf("Calculate on 1,000,000 letters (word value %s, primary %s):\n",
                qPrintable(word->text()), qPrintable(primary->text()));
    std::printf("  key press to both labels set: median %.2f ms, max %.2f ms\n",
                toLabels[toLabels.size() / 2], toLabels.back());
    std::printf("  key press to labels repainted: median %.2f ms, max %.2f ms\n",
                toPainted[toPainted.size() / 2], toPainted.back());
    Form1 = nullptr;
    return 0;
}

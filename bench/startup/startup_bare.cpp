// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The yardstick: the plainest Qt Widgets window of the same size, started the
// same way, ending at its first paint.
#include "FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(443, 343);
    new FirstPaint(&window);
    window.show();
    return QApplication::exec();
}

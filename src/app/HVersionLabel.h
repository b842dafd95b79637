// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A label that shows the running program's own version, "major.minor", read
// from the executable's version note, so that the about window never has to be
// edited when the version changes.
#pragma once

#include <QLabel>

// Everything a label offers (font, colour, alignment, anchors, the mouse and
// drag events) is the QLabel's own; only the text is this class's to set.
class THVersionLabel : public QLabel
{
    Q_OBJECT

public:
    // Reads the running executable (through /proc/self/exe).
    explicit THVersionLabel(QWidget *owner = nullptr);
    // Reads the executable at `executable` instead.
    explicit THVersionLabel(const QString &executable, QWidget *owner = nullptr);
    ~THVersionLabel() override;

    // The file version's four numbers; all 0 when the executable has none.
    int Major() const { return FMajor; }
    int Minor() const { return FMinor; }
    int Release() const { return FRelease; }
    int Build() const { return FBuild; }

private:
    // Sets the text: "major.minor", or "--.--" when the executable has no
    // readable version.
    void Fill(const QString &executable);

    qint32 FMajor = 0;
    qint32 FMinor = 0;
    qint32 FRelease = 0;
    qint32 FBuild = 0;
};

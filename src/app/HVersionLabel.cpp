// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HVersionLabel.h"

#include "ExeVersion.h"

namespace ev = psifonomoi::exeversion;

THVersionLabel::THVersionLabel(QWidget *owner) : QLabel(owner)
{
    Fill(QString::fromLatin1(ev::kRunningExecutable));
}

THVersionLabel::THVersionLabel(const QString &executable, QWidget *owner) : QLabel(owner)
{
    Fill(executable);
}

THVersionLabel::~THVersionLabel() = default;

void THVersionLabel::Fill(const QString &executable)
{
    // Whatever goes wrong below (no note, a damaged one, an unreadable file),
    // the label says so rather than showing numbers it did not read.
    setText(QStringLiteral("--.--"));

    // One read of the executable answers both questions: the size of its
    // version information (0: none) and the contents, which hold the numbers.
    const auto block = ev::ReadVersionInfo(executable);
    if (!block || block->isEmpty())
        return;
    const auto info = ev::QueryFixedFileInfo(*block);
    if (!info)
        return;

    FMajor = static_cast<qint32>(info->fileVersionMS >> 16);
    FMinor = static_cast<qint32>(info->fileVersionMS & 0xffff);
    FRelease = static_cast<qint32>(info->fileVersionLS >> 16);
    FBuild = static_cast<qint32>(info->fileVersionLS & 0xffff);
    setText(QString::number(FMajor) + QLatin1Char('.') + QString::number(FMinor));
}

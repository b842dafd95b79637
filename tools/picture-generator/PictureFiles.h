// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How the picture generator writes its drawings: reduced to a colour table
// where the picture is an old-style one, as PNG, and as a Windows icon file.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace pictures {

// Reduces `img` to an indexed image of at most `count` colours. Pixels less
// than half opaque become the one transparent entry (index 0) when
// `transparent` is set; the rest are opaque.
QImage toIndexed(const QImage &source, int count, bool transparent);

// Writes `img` as PNG and says so; false, with a message, when it cannot.
bool save(const QImage &img, const QString &path);

// A Windows icon file holding `images` (square, at most 256 pixels): the small
// ones as 32-bit bitmaps with their mask, which every Windows reads, the
// 256-pixel one as PNG, which is how Windows stores that size.
bool saveIco(const std::vector<QImage> &images, const QString &path);

} // namespace pictures

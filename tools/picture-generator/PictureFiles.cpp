// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PictureFiles.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace pictures {

namespace {

// Median-cut colour reduction: splits the colour box with the widest channel
// range at its median until there are `count` boxes, and takes each box's mean.
QList<QRgb> medianCut(std::vector<QRgb> colours, int count)
{
    struct Box
    {
        std::size_t begin, end;
    };
    const auto channel = [](QRgb c, int ch) {
        return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c);
    };
    const auto widest = [&](const Box &b, int &range) {
        int best = 0;
        range = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (std::size_t i = b.begin; i < b.end; ++i) {
                lo = std::min(lo, channel(colours[i], ch));
                hi = std::max(hi, channel(colours[i], ch));
            }
            if (hi - lo > range) {
                range = hi - lo;
                best = ch;
            }
        }
        return best;
    };

    std::vector<Box> boxes{{0, colours.size()}};
    while (static_cast<int>(boxes.size()) < count) {
        int pick = -1, pickRange = 0, pickChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int range = 0;
            const int ch = widest(boxes[i], range);
            if (boxes[i].end - boxes[i].begin > 1 && range > pickRange) {
                pick = static_cast<int>(i);
                pickRange = range;
                pickChannel = ch;
            }
        }
        if (pick < 0)
            break; // fewer distinct colours than asked for
        Box &b = boxes[static_cast<std::size_t>(pick)];
        std::sort(colours.begin() + static_cast<long>(b.begin),
                  colours.begin() + static_cast<long>(b.end), [&](QRgb x, QRgb y) {
                      return channel(x, pickChannel) < channel(y, pickChannel);
                  });
        const std::size_t mid = (b.begin + b.end) / 2;
        const Box upper{mid, b.end};
        b.end = mid;
        boxes.push_back(upper);
    }

    QList<QRgb> table;
    for (const Box &b : boxes) {
        long r = 0, g = 0, bl = 0;
        for (std::size_t i = b.begin; i < b.end; ++i) {
            r += qRed(colours[i]);
            g += qGreen(colours[i]);
            bl += qBlue(colours[i]);
        }
        const long n = static_cast<long>(b.end - b.begin);
        table.push_back(qRgb(int(r / n), int(g / n), int(bl / n)));
    }
    return table;
}

} // namespace

QImage toIndexed(const QImage &source, int count, bool transparent)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    std::vector<QRgb> opaque;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (!transparent || qAlpha(c) >= 128)
                opaque.push_back(qRgb(qRed(c), qGreen(c), qBlue(c)));
        }
    QList<QRgb> table = medianCut(opaque, transparent ? count - 1 : count);
    if (transparent)
        table.prepend(qRgba(0, 0, 0, 0));

    // Nearest opaque entry for every opaque pixel; index 0 for the clear ones.
    QImage out(img.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (transparent && qAlpha(c) < 128) {
                out.setPixel(x, y, 0);
                continue;
            }
            int best = transparent ? 1 : 0;
            int bestDistance = INT_MAX;
            for (int i = best; i < table.size(); ++i) {
                const int dr = qRed(c) - qRed(table[i]);
                const int dg = qGreen(c) - qGreen(table[i]);
                const int db = qBlue(c) - qBlue(table[i]);
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = i;
                }
            }
            out.setPixel(x, y, static_cast<uint>(best));
        }
    // Pad the table to its nominal size so readers see a 16- or 256-colour image.
    while (table.size() < count)
        table.push_back(qRgb(0, 0, 0));
    out.setColorTable(table);
    return out;
}

bool save(const QImage &img, const QString &path)
{
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(path), img.width(), img.height());
    return true;
}

bool saveIco(const std::vector<QImage> &images, const QString &path)
{
    std::vector<QByteArray> entries;
    for (const QImage &source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        QByteArray data;
        if (img.width() >= 256) {
            QBuffer buffer(&data);
            buffer.open(QIODevice::WriteOnly);
            img.save(&buffer, "PNG");
        } else {
            QDataStream out(&data, QIODevice::WriteOnly);
            out.setByteOrder(QDataStream::LittleEndian);
            const int n = img.width();
            const int maskStride = ((n + 31) / 32) * 4;
            // BITMAPINFOHEADER; the height counts the colour and mask rows.
            out << quint32(40) << qint32(n) << qint32(2 * n) << quint16(1) << quint16(32)
                << quint32(0) << quint32(n * n * 4 + maskStride * n) << qint32(0) << qint32(0)
                << quint32(0) << quint32(0);
            for (int y = n - 1; y >= 0; --y) // rows bottom up
                for (int x = 0; x < n; ++x) {
                    const QRgb c = img.pixel(x, y);
                    out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c))
                        << quint8(qAlpha(c));
                }
            for (int y = n - 1; y >= 0; --y) {
                QByteArray row(maskStride, '\0');
                for (int x = 0; x < n; ++x)
                    if (qAlpha(img.pixel(x, y)) < 128)
                        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
                out.writeRawData(row.constData(), static_cast<int>(row.size()));
            }
        }
        entries.push_back(data);
    }
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].width();
        out << quint8(n >= 256 ? 0 : n) << quint8(n >= 256 ? 0 : n) << quint8(0) << quint8(0)
            << quint16(1) << quint16(32) << quint32(entries[i].size()) << offset;
        offset += static_cast<quint32>(entries[i].size());
    }
    for (const QByteArray &data : entries)
        file += data;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%zu sizes)\n", qPrintable(path), images.size());
    return true;
}

} // namespace pictures

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the program's pictures: the icon (a gold coin struck with Ψ) and the
// about window's animation strip (the same coin turning once about its
// vertical axis, frame by frame). The outputs are committed; run this only when
// the drawing changes:
//
//   picture-generator <resources directory>
//
// Everything is drawn with paths, not fonts, so the result does not depend on
// the fonts installed on the machine that runs it.
#include "AboutFrmDesign.h"
#include "PictureFiles.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

#include <cstdio>
#include <vector>

namespace {

// The frame's size and count are the about window's (AboutUnit.ui).
using psifonomoi::design::aboutfrm::kFrameCount;
using psifonomoi::design::aboutfrm::kFrameHeight;
using psifonomoi::design::aboutfrm::kFrameWidth;

const QColor kGoldLight(0xff, 0xe8, 0x8a);
const QColor kGold(0xd9, 0xa4, 0x1e);
const QColor kGoldDark(0x8a, 0x5c, 0x0a);
const QColor kBronze(0x5a, 0x3a, 0x06);
const QColor kInk(0x3a, 0x22, 0x02);

// The letter Ψ inside the unit square (0..1 both ways): a stem, a cup whose
// arms rise to the top, and a foot serif.
QPainterPath psiPath()
{
    QPainterPath p;
    // Stem with its top serif.
    p.moveTo(0.5, 0.08);
    p.lineTo(0.5, 0.92);
    p.moveTo(0.40, 0.08);
    p.lineTo(0.60, 0.08);
    // Foot serif.
    p.moveTo(0.36, 0.92);
    p.lineTo(0.64, 0.92);
    // The cup: left arm down, round bottom through the stem, right arm up.
    p.moveTo(0.14, 0.22);
    p.cubicTo(0.14, 0.50, 0.24, 0.62, 0.5, 0.62);
    p.cubicTo(0.76, 0.62, 0.86, 0.50, 0.86, 0.22);
    // Small serifs at the tips of the arms.
    p.moveTo(0.08, 0.22);
    p.lineTo(0.20, 0.22);
    p.moveTo(0.80, 0.22);
    p.lineTo(0.92, 0.22);
    return p;
}

// One face of the coin filling `box` (a square). `shade` dims the face as it
// turns away from the light (1 = facing the viewer).
void drawFace(QPainter &p, const QRectF &box, qreal shade)
{
    const qreal d = box.width();
    const auto tone = [shade](const QColor &c) {
        return QColor::fromRgbF(c.redF() * shade, c.greenF() * shade, c.blueF() * shade);
    };

    // Body: a radial gradient lit from the upper left.
    QRadialGradient body(box.left() + d * 0.35, box.top() + d * 0.3, d * 0.75);
    body.setColorAt(0.0, tone(kGoldLight));
    body.setColorAt(0.55, tone(kGold));
    body.setColorAt(1.0, tone(kGoldDark));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(box);

    // Raised rim.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(tone(kBronze), qMax(1.0, d * 0.06)));
    p.drawEllipse(box.adjusted(d * 0.03, d * 0.03, -d * 0.03, -d * 0.03));

    // Beads inside the rim, as on old coins; left out where they would blur.
    if (d >= 28) {
        p.setPen(Qt::NoPen);
        p.setBrush(tone(kGoldDark));
        const QPointF c = box.center();
        const qreal r = d * 0.39;
        const int beads = 24;
        for (int i = 0; i < beads; ++i) {
            const qreal a = 2 * M_PI * i / beads;
            p.drawEllipse(QPointF(c.x() + r * qCos(a), c.y() + r * qSin(a)), d * 0.018, d * 0.018);
        }
    }

    // The letter. At the smallest size a hand-placed pixel pattern, since
    // smoothed strokes of one and a half pixels only blur.
    if (d < 20) {
        static const char *const pattern[] = {
            "XX  XX  XX", //
            "XX  XX  XX", //
            "XX  XX  XX", //
            "XX  XX  XX", //
            " XXXXXXXX ", //
            "   XXXX   ", //
            "    XX    ", //
            "    XX    ", //
            "  XXXXXX  ", //
        };
        const int left = qRound(box.center().x()) - 5;
        const int top = qRound(box.center().y()) - 5;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(tone(kInk));
        for (int row = 0; row < 9; ++row)
            for (int col = 0; col < 10; ++col)
                if (pattern[row][col] == 'X')
                    p.drawRect(left + col, top + row, 1, 1);
        p.setRenderHint(QPainter::Antialiasing, true);
        return;
    }
    const qreal inset = d * 0.24;
    const QRectF letterBox = box.adjusted(inset, inset, -inset, -inset);
    QTransform t;
    t.translate(letterBox.left(), letterBox.top());
    t.scale(letterBox.width(), letterBox.height());
    QPen pen(tone(kInk), qMax(1.2, d * 0.075), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(t.map(psiPath()));
}

// The icon at `size` pixels square, with transparent corners.
QImage renderIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal margin = size <= 16 ? 0.5 : size * 0.03;
    drawFace(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), 1.0);
    return img;
}

// Frame k of the strip: the coin turned by k/kFrameCount of a full turn. The turn is
// periodic, so the last frame leads smoothly back into frame 0.
QImage renderFrame(int k)
{
    QImage img(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const qreal angle = 2 * M_PI * k / kFrameCount;
    const qreal c = qCos(angle);
    const qreal s = qSin(angle);
    const qreal diameter = 31;
    const QPointF centre(kFrameWidth / 2.0, 17);

    // Shadow on the ground: narrows as the coin turns edge-on.
    const qreal shadowWidth = 8 + 20 * qAbs(c);
    QRadialGradient shadow(QPointF(centre.x(), 38), shadowWidth / 2);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.save();
    p.translate(centre.x(), 38);
    p.scale(1, 0.22);
    p.drawEllipse(QPointF(0, 0), shadowWidth / 2, shadowWidth / 2);
    p.restore();

    // The coin's edge: a band whose visible width grows as the face turns away.
    const qreal faceWidth = qMax(0.8, diameter * qAbs(c));
    const qreal thickness = 3.0 * qAbs(s);
    const qreal shift = (s >= 0 ? 1 : -1) * thickness / 2;
    QLinearGradient edge(0, centre.y() - diameter / 2, 0, centre.y() + diameter / 2);
    edge.setColorAt(0, kGold);
    edge.setColorAt(1, kBronze);
    p.setBrush(edge);
    const int slices = 6;
    for (int i = 0; i <= slices; ++i) {
        const qreal x = centre.x() - shift + 2 * shift * i / slices;
        p.drawEllipse(QRectF(x - faceWidth / 2, centre.y() - diameter / 2, faceWidth, diameter));
    }

    // The face, squeezed to its apparent width. The back bears the same Ψ; the
    // letter is symmetric, so the turn reads as one continuous motion.
    QImage face(64, 64, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    {
        QPainter fp(&face);
        fp.setRenderHint(QPainter::Antialiasing);
        drawFace(fp, QRectF(0, 0, 64, 64), 0.78 + 0.22 * qAbs(c));
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(
        QRectF(centre.x() + shift - faceWidth / 2, centre.y() - diameter / 2, faceWidth, diameter),
        face);
    return img;
}

using pictures::save;
using pictures::saveIco;
using pictures::toIndexed;

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    // The window icon: 16 colours, as small icons traditionally are.
    for (int size : {16, 32})
        ok &= save(toIndexed(renderIcon(size), 16, true),
                   QStringLiteral("%1/icons/psifonomoi-%2.png").arg(dir).arg(size));
    // Larger renderings of the same drawing for desktop menus, in full colour.
    for (int size : {48, 64, 128, 256})
        ok &= save(renderIcon(size).convertToFormat(QImage::Format_ARGB32),
                   QStringLiteral("%1/icons/psifonomoi-%2.png").arg(dir).arg(size));
    // The web page's manifest icons (what a phone puts on its home screen), in
    // 256 colours: the page's service worker keeps them, and the first visit
    // fetches them, so they are kept small.
    for (int size : {192, 512})
        ok &= save(toIndexed(renderIcon(size), 256, true),
                   QStringLiteral("%1/icons/psifonomoi-%2.png").arg(dir).arg(size));

    // The Windows icon: the same 16-colour pictures at 16 and 32 pixels, full
    // colour at the sizes Windows asks for at other display scales.
    std::vector<QImage> ico;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
        ico.push_back(size == 16 || size == 32 ? toIndexed(renderIcon(size), 16, true)
                                               : renderIcon(size));
    ok &= saveIco(ico, dir + QStringLiteral("/icons/psifonomoi.ico"));

    // The strip: all frames side by side, sharing one 256-colour table.
    QImage strip(kFrameWidth * kFrameCount, kFrameHeight, QImage::Format_RGB32);
    {
        QPainter p(&strip);
        for (int k = 0; k < kFrameCount; ++k)
            p.drawImage(k * kFrameWidth, 0, renderFrame(k));
    }
    const QImage indexedStrip = toIndexed(strip, 256, false);
    ok &= save(indexedStrip, dir + QStringLiteral("/about/signature.png"));
    // The same strip as a 256-colour bitmap, the form a Windows resource takes.
    if (!indexedStrip.save(dir + QStringLiteral("/about/signature.bmp"), "BMP")) {
        std::fprintf(stderr, "cannot write signature.bmp\n");
        ok = false;
    }
    return ok ? 0 : 1;
}

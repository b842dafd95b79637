// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DesignLayout.h"

#include <QLabel>
#include <QWidget>

#include <cmath>

namespace psifonomoi {

void UseDesignPixelSizes(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root); // parents first, so children resolve against pinned fonts
    for (QWidget *w : widgets) {
        if (!w->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = w->font();
        if (font.pointSizeF() <= 0)
            continue; // already in pixels
        font.setPixelSize(static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0)));
        w->setFont(font);
    }
}

void SizeToText(QLabel *label)
{
    label->resize(label->sizeHint().width(), label->height());
}

void FitCaptions(QWidget *root)
{
    // The labels were laid out for a bitmap face a few pixels narrower than the
    // scalable faces drawn here; they may grow into free space on their right
    // or below.
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue; // a picture, not a caption
        QSize needed = label->sizeHint();
        if (label->wordWrap())
            needed = QSize(label->width(), label->heightForWidth(label->width()));
        label->resize(label->size().expandedTo(needed));
    }
}

RightEdgeAnchors::RightEdgeAnchors(QWidget *window)
    : m_window(window), m_designedWidth(window->width())
{
    for (QWidget *control : window->findChildren<QWidget *>()) {
        const QString anchors = control->property("anchors").toString();
        if (anchors.contains(QLatin1String("right")))
            m_anchors.push_back(
                {control, control->geometry(), anchors.contains(QLatin1String("left"))});
    }
}

void RightEdgeAnchors::Follow() const
{
    // Nested controls grow with their group, which grows by the same amount as
    // the window.
    const int grown = m_window->width() - m_designedWidth;
    for (const Anchor &a : m_anchors) {
        QRect r = a.designed;
        if (a.stretch)
            r.setWidth(a.designed.width() + grown);
        else
            r.moveLeft(a.designed.left() + grown);
        a.control->setGeometry(r);
    }
}

} // namespace psifonomoi

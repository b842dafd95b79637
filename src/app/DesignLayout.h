// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows are laid out absolutely, control by control, as drawn at 96
// pixels per inch (Unit1.ui, AboutUnit.ui). These helpers keep that drawing
// true on any display and with the faces that stand in for the layouts' own.
#pragma once

#include <QRect>

#include <vector>

class QLabel;
class QWidget;

namespace psifonomoi {

// The layouts give their fonts in points for a 96-dpi display. Each font set
// on `root` or below is pinned to the pixel size it had there (8 pt is 11 px,
// 12 pt 16 px, 14 pt 19 px, 18 pt 24 px), so that the text fits the fixed
// boxes on any display; Qt's device-pixel scaling still enlarges the window.
void UseDesignPixelSizes(QWidget *root);

// A label that sizes to its text: as wide as its caption, height as laid out.
void SizeToText(QLabel *label);

// Grows the captions under `root` that their text does not fit, from their
// top left corner: single-line labels to their text, word-wrapped ones in
// height only. Nothing shrinks.
void FitCaptions(QWidget *root);

// The controls whose "anchors" property names the right edge, and how they
// follow a window widened beyond its designed width: those also anchored left
// stretch, the others move with the edge.
class RightEdgeAnchors
{
public:
    // Records the window's width and each control's geometry as designed.
    explicit RightEdgeAnchors(QWidget *window);

    // Places the controls for the window's current width.
    void Follow() const;

private:
    struct Anchor
    {
        QWidget *control;
        QRect designed;
        bool stretch;
    };

    QWidget *m_window;
    int m_designedWidth;
    std::vector<Anchor> m_anchors;
};

} // namespace psifonomoi

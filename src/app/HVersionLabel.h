// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A label that shows the running program's own version, "major.minor", read
// from the executable's version note, so that the about window never has to be
// edited when the version changes.
#pragma once

#include <QLabel>

// The label is a QLabel, but privately: its text is always the version, and
// a public base would hand every caller QLabel::setText, setNum, clear and the
// rest. The appearance members are re-exposed one by one below; AsWidget()
// gives the QWidget for parents, layouts and event filters.
class THVersionLabel : private QLabel
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

    // "major.minor", or "--.--" when the executable has no readable version.
    using QLabel::text;

    QWidget *AsWidget() { return this; }
    const QWidget *AsWidget() const { return this; }
    // The label behind a widget found by name, or null when it is not one.
    static THVersionLabel *FromWidget(QObject *object);

    // Identity and ownership.
    using QObject::objectName;
    using QObject::setObjectName;
    using QWidget::parentWidget;

    // Font and colour.
    using QWidget::backgroundRole;
    using QWidget::font;
    using QWidget::foregroundRole;
    using QWidget::palette;
    using QWidget::setBackgroundRole;
    using QWidget::setFont;
    using QWidget::setForegroundRole;
    using QWidget::setPalette;
    using QWidget::setStyleSheet;
    using QWidget::styleSheet;

    // Alignment and the look of the text.
    using QFrame::frameShadow;
    using QFrame::frameShape;
    using QFrame::setFrameShadow;
    using QFrame::setFrameShape;
    using QLabel::alignment;
    using QLabel::indent;
    using QLabel::margin;
    using QLabel::setAlignment;
    using QLabel::setIndent;
    using QLabel::setMargin;
    using QLabel::setTextFormat;
    using QLabel::setWordWrap;
    using QLabel::textFormat;
    using QLabel::wordWrap;
    using QWidget::layoutDirection;
    using QWidget::setLayoutDirection;

    // Layout, auto-size and constraints.
    using QLabel::minimumSizeHint;
    using QLabel::sizeHint;
    using QWidget::adjustSize;
    using QWidget::geometry;
    using QWidget::height;
    using QWidget::maximumSize;
    using QWidget::minimumSize;
    using QWidget::move;
    using QWidget::pos;
    using QWidget::rect;
    using QWidget::resize;
    using QWidget::setFixedSize;
    using QWidget::setGeometry;
    using QWidget::setMaximumSize;
    using QWidget::setMinimumSize;
    using QWidget::setSizePolicy;
    using QWidget::size;
    using QWidget::sizePolicy;
    using QWidget::width;
    using QWidget::x;
    using QWidget::y;

    // Transparency.
    using QWidget::autoFillBackground;
    using QWidget::setAttribute;
    using QWidget::setAutoFillBackground;
    using QWidget::testAttribute;

    // Cursor, hint, enabled state and pop-up menu.
    using QWidget::contextMenuPolicy;
    using QWidget::cursor;
    using QWidget::isEnabled;
    using QWidget::setContextMenuPolicy;
    using QWidget::setCursor;
    using QWidget::setEnabled;
    using QWidget::setToolTip;
    using QWidget::toolTip;
    using QWidget::unsetCursor;

    // Drag settings, mouse and drag events (handled through an event filter).
    using QObject::installEventFilter;
    using QObject::removeEventFilter;
    using QWidget::acceptDrops;
    using QWidget::hasMouseTracking;
    using QWidget::setAcceptDrops;
    using QWidget::setMouseTracking;

    // Visibility.
    using QWidget::hide;
    using QWidget::isHidden;
    using QWidget::isVisible;
    using QWidget::setHidden;
    using QWidget::setVisible;
    using QWidget::show;
    using QWidget::update;

private:
    void fill(const QString &executable);

    qint32 FMajor = 0;
    qint32 FMinor = 0;
    qint32 FRelease = 0;
    qint32 FBuild = 0;
};

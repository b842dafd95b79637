// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TLineEdit on screen: the laid-out slice, scrolling, painting, size hints
// and what the input method reads.
#include "LineEdit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Space between the contents and the text, as a QLineEdit leaves it.
constexpr int kHorizontalMargin = 2;

} // namespace

TLineEdit::TLineEdit(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::LineEdit));
    setBackgroundRole(QPalette::Base);
    setAttribute(Qt::WA_KeyCompression);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_MacShowFocusRect);
    FLayout.setCacheEnabled(true);
}

TLineEdit::~TLineEdit() = default;

void TLineEdit::initStyleOption(QStyleOptionFrame *option) const
{
    option->initFrom(this);
    option->rect = contentsRect();
    option->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, option, this);
    option->midLineWidth = 0;
    option->state |= QStyle::State_Sunken;
    option->features = QStyleOptionFrame::None;
}

QRect TLineEdit::ContentsRectForText() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

// The text's line, centred in the contents; valid once the view is laid out.
QRect TLineEdit::LineRect() const
{
    const QRect r = ContentsRectForText();
    const int top = r.y() + (r.height() - FTextHeight + 1) / 2;
    return QRect(r.x() + kHorizontalMargin, top, r.width() - 2 * kHorizontalMargin, FTextHeight);
}

QPoint TLineEdit::TextOrigin() const
{
    EnsureView();
    // The ascent term keeps the baseline where it is whatever scripts the
    // slice holds.
    return LineRect().topLeft() - QPoint(FHScroll, FAscent - fontMetrics().ascent());
}

int TLineEdit::SliceX(qsizetype position) const
{
    return qRound(FLayout.lineAt(0).cursorToX(static_cast<int>(position - FSliceStart)));
}

void TLineEdit::ViewChanged(bool relayout)
{
    FViewDirty = true;
    FLayoutDirty = FLayoutDirty || relayout;
    update();
}

void TLineEdit::LayoutSlice(qsizetype start, qsizetype end) const
{
    QString shown = FText.mid(start, end - start);
    // Control characters, line breaks and object replacement characters are
    // drawn as spaces, not boxes.
    for (QChar &c : shown) {
        if ((c.unicode() < 0x20 && c.unicode() != 0x09) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter)
            c = QChar(u' ');
    }
    FLayout.clearLayout();
    FLayout.setText(shown);
    FLayout.setFont(font());
    QTextOption option = FLayout.textOption();
    option.setTextDirection(layoutDirection());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    FLayout.setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    if (!FPreedit.isEmpty() && FCursor >= start && FCursor <= end) {
        FLayout.setPreeditArea(static_cast<int>(FCursor - start), FPreedit);
        for (QTextLayout::FormatRange f : FPreeditFormats) {
            f.start += static_cast<int>(FCursor - start);
            formats.append(f);
        }
    } else {
        FLayout.setPreeditArea(-1, QString());
    }
    FLayout.setFormats(formats);
    FLayout.beginLayout();
    const QTextLine line = FLayout.createLine();
    FLayout.endLayout();
    FAscent = qRound(line.ascent());
    const QFontMetrics fm = fontMetrics();
    FTextHeight =
        std::max(fm.height(), fm.boundingRect(FText.mid(start, end - start) + FPreedit).height());
    FSliceStart = start;
    FSliceEnd = end;
    FLayoutDirty = false;
}

// Lays out a slice holding `position` with at least `before` pixels of text
// to its left and `after` to its right, where the text has them.
void TLineEdit::LayoutAround(qsizetype position, int before, int after) const
{
    const qsizetype n = FText.size();
    // No character of a readable font is narrower than two pixels; the few
    // that are (marks, joiners) only make the slice grow once more.
    qsizetype back = before / 2 + 64, ahead = after / 2 + 64;
    for (;;) {
        const qsizetype start = Snapped(std::max<qsizetype>(0, position - back));
        const qsizetype end = Snapped(std::min(n, position + ahead));
        LayoutSlice(start, end);
        const int x = SliceX(position);
        const int width = qRound(FLayout.lineAt(0).naturalTextWidth());
        const bool left = start == 0 || x >= before;
        const bool right = end == n || width - x >= after;
        if (left && right)
            return;
        if (!left)
            back *= 2;
        if (!right)
            ahead *= 2;
    }
}

void TLineEdit::EnsureView() const
{
    if (!FViewDirty && !FLayoutDirty)
        return;
    FViewDirty = false;
    const qsizetype n = FText.size();
    const int w = ContentsRectForText().width() - 2 * kHorizontalMargin;
    const int margin = std::max(w, 100);
    if (n <= kWholeLayout) {
        if (FLayoutDirty || FSliceStart != 0 || FSliceEnd != n)
            LayoutSlice(0, n);
    } else if (FLayoutDirty || FCursor < FSliceStart || FCursor > FSliceEnd) {
        // The view's left edge is FHScroll pixels into the slice from
        // FSliceStart; lay out around that edge, or go to the cursor when it
        // left the view.
        const qsizetype edge = std::min(FSliceStart, n);
        const int offset = FHScroll;
        if (FCursor < edge) {
            LayoutAround(FCursor, margin, w + margin);
            FHScroll = SliceX(FCursor);
        } else {
            LayoutAround(edge, margin, std::max(offset, 0) + w + margin);
            FHScroll = SliceX(edge) + offset;
            if (FCursor > FSliceEnd) {
                LayoutAround(FCursor, w + margin, margin);
                FHScroll = SliceX(FCursor) - w + 1;
            }
        }
    }
    // Scrolling as a QLineEdit scrolls, in the slice's coordinates; the ends
    // of the slice are the ends of the text only where they are.
    const int cix = SliceX(FCursor);
    const int used = qRound(FLayout.lineAt(0).naturalTextWidth()) + 1;
    const bool atStart = FSliceStart == 0, atEnd = FSliceEnd == n;
    if (atStart && atEnd && used <= w)
        FHScroll = 0;
    else if (cix - FHScroll >= w)
        FHScroll = cix - w + 1;
    else if (cix - FHScroll < 0 && (!atEnd || FHScroll < used))
        FHScroll = cix;
    else if (atEnd && used - FHScroll < w)
        FHScroll = used - w + 1;
    else if (atStart)
        FHScroll = std::max(0, FHScroll);
    // Keep half a margin of laid-out text beyond both edges of the view.
    if (n > kWholeLayout &&
        ((!atStart && FHScroll < margin / 2) || (!atEnd && used - FHScroll - w < margin / 2))) {
        const qsizetype left =
            FSliceStart + FLayout.lineAt(0).xToCursor(FHScroll, QTextLine::CursorBetweenCharacters);
        const int dx = FHScroll - SliceX(left);
        LayoutAround(left, margin, w + margin);
        FHScroll = SliceX(left) + dx;
    }
}

QRect TLineEdit::CursorRectangle() const
{
    const QPoint origin = TextOrigin();
    const QTextLine line = FLayout.lineAt(0);
    const int cix =
        qRound(line.cursorToX(static_cast<int>(FCursor - FSliceStart) + FPreeditCursor));
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, &option, this);
    return QRect(origin.x() + cix - 5, origin.y(), width + 9, qRound(line.height()) + 1);
}

QRect TLineEdit::CharacterRect(qsizetype position) const
{
    const QPoint origin = TextOrigin();
    if (position < FSliceStart || position >= FSliceEnd)
        return QRect();
    // The character's advance and the font's height, as a QLineEdit answers,
    // but where the character is drawn: frame, margins and scrolling included.
    const qsizetype next = NextPosition(position, false);
    const QTextLine line = FLayout.lineAt(0);
    const auto x = [&](qsizetype p) {
        return static_cast<int>(line.cursorToX(static_cast<int>(p - FSliceStart)));
    };
    const QFontMetrics fm = fontMetrics();
    return QRect(origin.x() + std::min(x(position), x(next)), origin.y(),
                 fm.horizontalAdvance(FText.mid(position, next - position)), fm.height());
}

qsizetype TLineEdit::PositionAt(int x, bool onCharacter) const
{
    const QPoint origin = TextOrigin();
    const int at = FLayout.lineAt(0).xToCursor(x - origin.x(),
                                               onCharacter ? QTextLine::CursorOnCharacter
                                                           : QTextLine::CursorBetweenCharacters);
    qsizetype p = FSliceStart + at;
    if (!FPreedit.isEmpty() && p > FCursor) // positions after the composition shift by it
        p = std::max(FCursor, p - FPreedit.size());
    return std::clamp<qsizetype>(p, 0, FText.size());
}

void TLineEdit::paintEvent(QPaintEvent *)
{
    EnsureView();
    QPainter p(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
    const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    p.setClipRect(r);
    const QPalette pal = palette();
    p.setPen(pal.text().color());
    QList<QTextLayout::FormatRange> selections;
    const qsizetype from = std::max(selectionStart(), FSliceStart);
    const qsizetype to = std::min(selectionEnd(), FSliceEnd);
    if (from < to) {
        QTextLayout::FormatRange o;
        o.start = static_cast<int>(from - FSliceStart);
        o.length = static_cast<int>(to - from);
        o.format.setBackground(pal.brush(QPalette::Highlight));
        o.format.setForeground(pal.brush(QPalette::HighlightedText));
        selections.append(o);
    }
    const QPoint origin = TextOrigin();
    FLayout.draw(&p, origin, selections, r);
    if (FCursorVisible && FBlinkOn && !FHideCursor)
        FLayout.drawCursor(&p, origin, static_cast<int>(FCursor - FSliceStart) + FPreeditCursor,
                           style()->pixelMetric(QStyle::PM_TextCursorWidth, &panel, this));
}

QSize TLineEdit::sizeHint() const
{
    ensurePolished();
    const QFontMetrics fm = fontMetrics();
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int h = std::max(fm.height(), std::max(14, icon - 2)) + 2;
    const int w = fm.horizontalAdvance(QLatin1Char('x')) * 17 + 2 * kHorizontalMargin;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(w, h), this);
}

QSize TLineEdit::minimumSizeHint() const
{
    ensurePolished();
    const QFontMetrics fm = fontMetrics();
    const int h = fm.height() + std::max(2, fm.leading());
    const int w = fm.maxWidth();
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(w, h), this);
}

QVariant TLineEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // An input method sees the text around the cursor, never all of it.
    constexpr qsizetype kAround = 1024;
    FImWindow = Snapped(std::max<qsizetype>(0, FCursor - kAround));
    const qsizetype end = Snapped(std::min(FText.size(), FCursor + kAround));
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled();
    case Qt::ImCursorRectangle:
        return CursorRectangle();
    case Qt::ImAnchorRectangle: {
        const QRect r = CharacterRect(FAnchor);
        return r.isEmpty() ? CursorRectangle() : r;
    }
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return static_cast<int>(FCursor - FImWindow);
    case Qt::ImAnchorPosition:
        return static_cast<int>(std::clamp(FAnchor, FImWindow, end) - FImWindow);
    case Qt::ImSurroundingText:
        return FText.mid(FImWindow, end - FImWindow);
    case Qt::ImCurrentSelection: {
        const qsizetype a = std::clamp(selectionStart(), FImWindow, end);
        return FText.mid(a, std::clamp(selectionEnd(), FImWindow, end) - a);
    }
    case Qt::ImTextBeforeCursor:
        return FText.mid(FImWindow, FCursor - FImWindow);
    case Qt::ImTextAfterCursor:
        return FText.mid(FCursor, end - FCursor);
    case Qt::ImAbsolutePosition:
        return static_cast<qlonglong>(FCursor);
    case Qt::ImMaximumTextLength:
        return QVariant(); // no limit
    case Qt::ImHints:
        return static_cast<int>(inputMethodHints());
    case Qt::ImReadOnly:
        return false;
    default:
        return QWidget::inputMethodQuery(query);
    }
}

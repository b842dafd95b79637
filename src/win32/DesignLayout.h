// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows are laid out absolutely, control by control, as drawn at 96
// pixels per inch (Unit1.ui, AboutUnit.ui, turned into the dialog resources
// by tools/generate-dialogs). The dialog manager would read the template's
// numbers as dialog units, which follow the font; this reads them as the
// design's pixels and places the controls for the window's DPI and width.
#pragma once

#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace psifonomoi {

// Anchor bits and flags of the resource's rows (tools/generate-dialogs).
inline constexpr unsigned kAnchorLeft = 1;
inline constexpr unsigned kAnchorRight = 4;
inline constexpr unsigned kFlagChecked = 1;
inline constexpr unsigned kFlagContinuesSentence = 2;

struct TFontDesign
{
    std::wstring Face;
    int PixelHeight = 11; // at 96 dpi
    int Weight = FW_NORMAL;
    bool Italic = false;
    auto operator<=>(const TFontDesign &) const = default;
};

struct TControlDesign
{
    int Id = 0;
    RECT Rect{}; // in the window's client area, pixels at 96 dpi
    unsigned Anchors = 0;
    unsigned Flags = 0;
    TFontDesign Font;
};

struct TWindowDesign
{
    SIZE Client{};
    TFontDesign Font;
    bool HasBackground = false;
    COLORREF Background = 0;
    std::vector<TControlDesign> Controls;
};

// Reads a dialog template (DLGTEMPLATEEX) and the RCDATA rows beside it.
// Throws std::runtime_error when either is missing, damaged or disagrees.
TWindowDesign ParseWindowDesign(std::span<const BYTE> dialogTemplate, std::span<const BYTE> rows);
// The same from this module's resources with the dialog's identifier.
TWindowDesign LoadWindowDesign(int dialogId);

// `value` pixels at 96 dpi, at `dpi`.
int Scale(int value, UINT dpi);

// The fonts of one window at one DPI, made once each and deleted with it.
class TFontSet
{
public:
    TFontSet() = default;
    TFontSet(const TFontSet &) = delete;
    TFontSet &operator=(const TFontSet &) = delete;
    ~TFontSet();
    HFONT Get(const TFontDesign &font, UINT dpi);
    void Clear();

private:
    std::map<std::tuple<TFontDesign, UINT>, HFONT> m_fonts;
};

// Places and sets the fonts of the controls of `window` for `dpi` and a
// client area `clientWidth` pixels wide: controls anchored left and right
// stretch with the extra width, those anchored right alone move with it.
void ApplyDesign(HWND window, const TWindowDesign &design, TFontSet &fonts, UINT dpi,
                 int clientWidth);

// The outer size of a window with `style` whose client area is `client`
// design pixels at `dpi`.
SIZE OuterSize(HWND window, SIZE client, UINT dpi);

// Moves and sizes `window` to the rectangle WM_DPICHANGED suggests (`lParam`).
void MoveToSuggested(HWND window, LPARAM suggested);

// Widens the static `label` to its text, keeping its left edge and height.
void SizeToText(HWND label);

// Grows the text labels of `window` that their text does not fit, from their
// top left corner: single-line ones in width, word-wrapped ones in height.
// Nothing shrinks.
void FitCaptions(HWND window, const TWindowDesign &design);

} // namespace psifonomoi

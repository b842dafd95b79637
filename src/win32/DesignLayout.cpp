// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DesignLayout.h"

#include "Application.h"
#include "Dpi.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace psifonomoi {

namespace {

// Reads the little-endian fields of a resource, refusing to run past its end.
class TReader
{
public:
    explicit TReader(std::span<const BYTE> data) : m_data(data) {}
    template <typename T> T Read()
    {
        Need(sizeof(T));
        T value;
        std::memcpy(&value, m_data.data() + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    std::wstring String()
    {
        std::wstring s;
        for (wchar_t c; (c = static_cast<wchar_t>(Read<WORD>())) != L'\0';)
            s += c;
        return s;
    }
    // A name or an ordinal: 0 (none), 0xFFFF and a number, or a string.
    void SkipNameOrOrdinal()
    {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF)
            Read<WORD>();
        else if (first != 0)
            String();
    }
    void Skip(std::size_t bytes)
    {
        Need(bytes);
        m_at += bytes;
    }
    void AlignToDword() { Skip((4 - m_at % 4) % 4); }
    bool AtEnd() const { return m_at == m_data.size(); }

private:
    void Need(std::size_t bytes) const
    {
        if (bytes > m_data.size() - m_at)
            throw std::runtime_error("damaged window layout resource");
    }
    std::span<const BYTE> m_data;
    std::size_t m_at = 0;
};

TFontDesign ReadFont(TReader &rows)
{
    TFontDesign font;
    font.PixelHeight = rows.Read<WORD>();
    font.Weight = rows.Read<WORD>();
    font.Italic = rows.Read<WORD>() != 0;
    font.Face = rows.String();
    return font;
}

std::span<const BYTE> Resource(int id, LPCWSTR type)
{
    const HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(id), type);
    const HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
    const void *data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        throw std::runtime_error("missing window layout resource");
    return {static_cast<const BYTE *>(data), SizeofResource(Instance(), found)};
}

} // namespace

TWindowDesign ParseWindowDesign(std::span<const BYTE> dialogTemplate, std::span<const BYTE> rows)
{
    TWindowDesign design;
    TReader t(dialogTemplate);
    if (t.Read<WORD>() != 1 || t.Read<WORD>() != 0xFFFF)
        throw std::runtime_error("window layout is no extended dialog template");
    t.Skip(4 + 4); // help id, extended style
    const DWORD style = t.Read<DWORD>();
    const WORD count = t.Read<WORD>();
    t.Skip(2 * 2); // x, y
    design.Client.cx = t.Read<short>();
    design.Client.cy = t.Read<short>();
    t.SkipNameOrOrdinal(); // menu
    t.SkipNameOrOrdinal(); // class
    t.String();            // caption
    if (style & DS_SETFONT) {
        t.Skip(2 + 2 + 1 + 1);
        t.String();
    }
    for (WORD i = 0; i < count; ++i) {
        t.AlignToDword();
        t.Skip(4 + 4 + 4); // help id, extended style, style
        TControlDesign control;
        const short x = t.Read<short>();
        const short y = t.Read<short>();
        const short cx = t.Read<short>();
        const short cy = t.Read<short>();
        control.Rect = {x, y, x + cx, y + cy};
        control.Id = static_cast<int>(t.Read<DWORD>());
        t.SkipNameOrOrdinal();  // class
        t.SkipNameOrOrdinal();  // text
        t.Skip(t.Read<WORD>()); // creation data
        design.Controls.push_back(std::move(control));
    }

    TReader r(rows);
    if (r.Read<WORD>() != count || r.Read<WORD>() != 0)
        throw std::runtime_error("window layout rows do not match the template");
    r.Skip(2 * 2); // the window's anchors and flags
    design.Font = ReadFont(r);
    const DWORD background = r.Read<DWORD>();
    design.HasBackground = background != 0xFFFFFFFF;
    design.Background = background;
    for (TControlDesign &control : design.Controls) {
        if (r.Read<WORD>() != control.Id)
            throw std::runtime_error("window layout rows do not match the template");
        control.Anchors = r.Read<WORD>();
        control.Flags = r.Read<WORD>();
        control.Font = ReadFont(r);
    }
    if (!r.AtEnd())
        throw std::runtime_error("window layout rows do not match the template");
    return design;
}

TWindowDesign LoadWindowDesign(int dialogId)
{
    return ParseWindowDesign(Resource(dialogId, MAKEINTRESOURCEW(5) /* RT_DIALOG */),
                             Resource(dialogId, MAKEINTRESOURCEW(10) /* RT_RCDATA */));
}

int Scale(int value, UINT dpi)
{
    return MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

TFontSet::~TFontSet()
{
    Clear();
}

void TFontSet::Clear()
{
    for (auto &entry : m_fonts)
        DeleteObject(entry.second);
    m_fonts.clear();
}

HFONT TFontSet::Get(const TFontDesign &font, UINT dpi)
{
    HFONT &made = m_fonts[{font, dpi}];
    if (!made) {
        LOGFONTW log{};
        // Rounded down: a face enlarged by even a pixel more than the window
        // wraps its captions differently (11 px at 144 dpi is 16, not 17).
        log.lfHeight = -(font.PixelHeight * static_cast<int>(dpi) / USER_DEFAULT_SCREEN_DPI);
        log.lfWeight = font.Weight;
        log.lfItalic = font.Italic;
        log.lfCharSet = DEFAULT_CHARSET;
        log.lfQuality = CLEARTYPE_QUALITY;
        // MS Sans Serif is a bitmap font: fixed sizes, and on most Windows no
        // Greek. Its TrueType cut, Microsoft Sans Serif, has the same design,
        // covers Greek and scales to any DPI.
        const std::wstring face =
            font.Face == L"MS Sans Serif" ? std::wstring(L"Microsoft Sans Serif") : font.Face;
        // Where the face is missing (Wine has none of these), the family
        // chooses the stand-in: a serif one for Times New Roman.
        log.lfPitchAndFamily = static_cast<BYTE>(
            VARIABLE_PITCH | (face.find(L"Times") != std::wstring::npos ? FF_ROMAN : FF_SWISS));
        wcsncpy(log.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        made = CreateFontIndirectW(&log);
    }
    return made;
}

void ApplyDesign(HWND window, const TWindowDesign &design, TFontSet &fonts, UINT dpi,
                 int clientWidth)
{
    const int extra = clientWidth - Scale(design.Client.cx, dpi);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(design.Controls.size()));
    for (const TControlDesign &control : design.Controls) {
        const HWND child = GetDlgItem(window, control.Id);
        if (!child)
            continue;
        int x = Scale(control.Rect.left, dpi);
        int width = Scale(control.Rect.right, dpi) - x;
        if (control.Anchors & kAnchorRight) {
            if (control.Anchors & kAnchorLeft)
                width += extra;
            else
                x += extra;
        }
        const int y = Scale(control.Rect.top, dpi);
        const int height = Scale(control.Rect.bottom, dpi) - y;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(control.Font, dpi)),
                     FALSE);
        if (moves)
            moves = DeferWindowPos(moves, child, nullptr, x, y, width, height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves)
        EndDeferWindowPos(moves);
    InvalidateRect(window, nullptr, TRUE);
}

void MoveToSuggested(HWND window, LPARAM suggested)
{
    const auto *r = reinterpret_cast<const RECT *>(suggested);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE OuterSize(HWND window, SIZE client, UINT dpi)
{
    RECT r{0, 0, Scale(client.cx, dpi), Scale(client.cy, dpi)};
    AdjustWindowRectForDpi(r, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
    return {r.right - r.left, r.bottom - r.top};
}

namespace {

// The size `label`'s text takes in its font, wrapped at `width` when given.
SIZE TextExtent(HWND label, int wrapWidth)
{
    const std::wstring text = WindowText(label);
    const HDC dc = GetDC(label);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT r{0, 0, wrapWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

void FitCaptions(HWND window, const TWindowDesign &design)
{
    // The labels were laid out for a bitmap face a few pixels narrower than
    // the scalable faces drawn here; they may grow into free space on their
    // right or below.
    for (const TControlDesign &control : design.Controls) {
        const HWND label = GetDlgItem(window, control.Id);
        const LONG_PTR style = label ? GetWindowLongPtrW(label, GWL_STYLE) : 0;
        const LONG_PTR kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_LEFTNOWORDWRAP)
            continue;
        wchar_t className[16];
        GetClassNameW(label, className, 16);
        if (_wcsicmp(className, L"Static") != 0 || GetWindowTextLengthW(label) == 0)
            continue;
        RECT r = {};
        GetWindowRect(label, &r);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        const SIZE needed = TextExtent(label, kind == SS_LEFT ? width : 0);
        if (needed.cx > width || needed.cy > height)
            SetWindowPos(label, nullptr, 0, 0, std::max<int>(width, needed.cx),
                         std::max<int>(height, needed.cy),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SizeToText(HWND label)
{
    RECT r;
    GetWindowRect(label, &r);
    SetWindowPos(label, nullptr, 0, 0, TextExtent(label, 0).cx, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);
}

} // namespace psifonomoi

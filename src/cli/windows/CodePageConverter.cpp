// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Converter on Windows' own code pages (MultiByteToWideChar), for the
// single-byte encodings of Greek text. Each is read once, byte by byte, into
// a table, so that a line converts by lookup and every byte the code page
// leaves undefined is found where it stands.
#include "Converter.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace psifonomoi::cli {
namespace {

struct Encoding
{
    std::string_view name;
    unsigned codePage;
};

// The names iconv knows these encodings by, so that a command line means the
// same on both systems. The first name of each is the one messages list.
constexpr unsigned kUtf16Le = 1200, kUtf16Be = 1201;
constexpr Encoding kEncodings[] = {
    {"windows-1253", 1253},
    {"CP1253", 1253},
    {"MS-GREEK", 1253},
    {"iso-8859-7", 28597},
    {"ISO8859-7", 28597},
    {"ISO_8859-7", 28597},
    {"ISO88597", 28597},
    {"ISO-IR-126", 28597},
    {"ISO_8859-7:1987", 28597},
    {"ISO_8859-7:2003", 28597},
    {"ELOT_928", 28597},
    {"ECMA-118", 28597},
    {"GREEK", 28597},
    {"GREEK8", 28597},
    {"CSISOLATINGREEK", 28597},
    {"cp737", 737},
    {"cp869", 869},
    {"IBM869", 869},
    {"869", 869},
    {"CP-GR", 869},
    {"CSIBM869", 869},
    {"UTF-16LE", kUtf16Le},
    {"UTF16LE", kUtf16Le},
    {"UCS-2LE", kUtf16Le},
    {"UTF-16", kUtf16Le},
    {"UTF16", kUtf16Le},
    {"UCS-2", kUtf16Le},
    {"UCS2", kUtf16Le},
    {"UTF-16BE", kUtf16Be},
    {"UTF16BE", kUtf16Be},
    {"UCS-2BE", kUtf16Be},
};

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// The encodings this build reads (UTF-16 is known only to be refused, as iconv's is).
std::string ServedNames()
{
    std::string names = "UTF-8";
    unsigned last = 0;
    for (const Encoding &e : kEncodings)
        if (e.codePage != last && e.codePage != kUtf16Le && e.codePage != kUtf16Be) {
            last = e.codePage;
            names += ", " + std::string(e.name);
        }
    return names;
}

constexpr std::pair<unsigned, unsigned> kIso8859_7Of2003[] = {
    {0xA1, 0x2018}, {0xA2, 0x2019}, {0xA4, 0x20AC}, {0xA5, 0x20AF}, {0xAA, 0x037A}};

constexpr std::size_t kChunk = 1 << 16;

class CodePageConverter final : public Converter
{
public:
    // False if the system does not have the code page.
    bool Load(unsigned codePage);
    bool Convert(std::string_view raw, LinePieces &pieces) override;

private:
    struct Entry
    {
        unsigned char size; // 0: the code page does not define the byte
        char utf8[3];
    };
    std::array<Entry, 256> m_table{};
    std::unique_ptr<char[]> m_chunk;
};

bool CodePageConverter::Load(unsigned codePage)
{
    CPINFO info;
    if (!::IsValidCodePage(codePage) || !::GetCPInfo(codePage, &info) || info.MaxCharSize != 1)
        return false;
    // Outside the ISO 8859 pages, whose 0x80..0x9F are the C1 controls, Windows
    // fills unassigned bytes with the C1 control of the same number, or with
    // private use characters; iconv calls them undefined, and so does this.
    const bool isoPage = codePage >= 28591 && codePage <= 28605;
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t w[2];
        unsigned c = 0xFFFF; // undefined
        if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, w, 2) == 1)
            c = w[0];
        // Windows' ISO-8859-7 is the 1987 edition; iconv's, as this, the 2003
        // one, with typographic quotes, the euro, the drachma and ypogegrammeni.
        if (codePage == 28597)
            for (const auto &[from, to] : kIso8859_7Of2003)
                if (b == from)
                    c = to;
        if (c == 0xFFFF || (c >= 0xD800 && c <= 0xF8FF) ||
            (!isoPage && c == b && c >= 0x80 && c <= 0x9F))
            continue;
        Entry &e = m_table[b];
        if (c < 0x80) {
            e = {1, {char(c)}};
        } else if (c < 0x800) {
            e = {2, {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))}};
        } else {
            e = {3, {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))}};
        }
    }
    m_chunk = std::make_unique_for_overwrite<char[]>(kChunk);
    return true;
}

bool CodePageConverter::Convert(std::string_view raw, LinePieces &pieces)
{
    char *const chunk = m_chunk.get();
    char *const full = chunk + kChunk - 3;
    char *out = chunk;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const Entry &e = m_table[static_cast<unsigned char>(raw[i])];
        if (e.size == 0 || out > full) {
            if (out != chunk && !pieces.Text({chunk, std::size_t(out - chunk)}))
                return false;
            out = chunk;
            if (e.size == 0) {
                if (!pieces.Bad(i, static_cast<unsigned char>(raw[i])))
                    return false;
                continue;
            }
        }
        std::memcpy(out, e.utf8, 3);
        out += e.size;
    }
    return out == chunk || pieces.Text({chunk, std::size_t(out - chunk)});
}

} // namespace

std::unique_ptr<Converter> Converter::Create(const std::string &encoding, std::string &error)
{
    unsigned codePage = 0;
    for (const Encoding &e : kEncodings)
        if (SameName(e.name, encoding))
            codePage = e.codePage;
    if (codePage == 0) {
        error = "unknown encoding '" + encoding + "' (this build reads " + ServedNames() + ")";
        return nullptr;
    }
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        error = "encoding '" + encoding + "' does not write a line feed as the byte 0x0A";
        return nullptr;
    }
    auto converter = std::make_unique<CodePageConverter>();
    if (!converter->Load(codePage)) {
        error = "encoding '" + encoding + "' is not installed on this system";
        return nullptr;
    }
    return converter;
}

} // namespace psifonomoi::cli

// --explain: one row per character, its value, code point and fold.
#include "Lookalikes.h"
#include "Session.h"
#include "WordValue.h"

namespace psifonomoi::cli {

bool Session::Pad(std::size_t width, std::size_t used)
{
    for (; used < width; ++used)
        m_out.Put(' ');
    return !m_out.Failed();
}

bool Session::ExplainValues(std::uint64_t classical, std::uint64_t positional, std::size_t wc,
                            std::size_t wp)
{
    if (m_classical) {
        Pad(wc + 2, DigitCount(classical));
        m_out.AppendNumber(classical);
    }
    if (m_positional) {
        Pad(wp + 2, DigitCount(positional));
        m_out.AppendNumber(positional);
    }
    return m_out.Append("  ");
}

bool Session::ExplainDash(std::size_t wc, std::size_t wp)
{
    if (m_classical)
        Pad(wc + 1, 0), m_out.Put('-');
    if (m_positional)
        Pad(wp + 1, 0), m_out.Put('-');
    return m_out.Append("  ");
}

// One row: value(s), code point, the character, its fold or why it adds nothing.
bool Session::ExplainChar(char32_t c, std::string_view bytes, std::size_t wc, std::size_t wp)
{
    const int cv = LetterValue(c, vsClassical), pv = LetterValue(c, vsPositional);
    ExplainValues(static_cast<std::uint64_t>(cv), static_cast<std::uint64_t>(pv), wc, wp);

    char code[16] = "U+";
    std::size_t codeLen = 2;
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        code[codeLen++] = kHexDigits[(c >> shift) & 0xF];
    m_out.Append({code, codeLen});
    Pad(9, codeLen);

    // The character itself, made visible when it would not be (controls,
    // separators and bidi controls come out escaped).
    if (c == U' ')
        m_out.Append("(space)");
    else if (c == 0xA0)
        m_out.Append("(no-break space)");
    else if (c >= 0x0300 && c < 0x0370) // combining marks, shown on a dotted circle
        m_out.Append("\u25CC"), m_out.Append(bytes);
    else
        m_out.AppendEscaped(bytes);

    if (LetterIndex(c) != 0) {
        std::string folded;
        AppendUtf8(folded, FoldChar(c));
        m_out.Append(" \u2192 ");
        m_out.Append(folded);
    } else {
        m_out.Append("  adds nothing");
        if (const Lookalike *look = FindLookalike(c)) {
            std::string greek;
            AppendUtf8(greek, look->greek);
            m_out.Append(": ");
            m_out.Append(look->name);
            m_out.Append(", looks like Greek ");
            m_out.Append(greek);
        }
    }
    return m_out.Put('\n');
}

// One block per text: a heading, one row per character (value, code point,
// character, and either its folded capital or why it adds nothing), a total.
//
//   line 1: λoγος
//       30  U+03BB   λ → Λ
//        0  U+006F   o  adds nothing: Latin small letter o, looks like Greek ο
//   ...
//      303  total, primary number 6
bool Session::Explain(std::string_view raw, const DecodedLine &line, bool isArgument,
                      std::uint64_t number)
{
    const auto classical = static_cast<std::uint64_t>(ClassicalValue(line.text));
    const auto positional = static_cast<std::uint64_t>(PositionalValue(line.text));
    if (!line.Valid() && m_options.find)
        return true;
    if (!Matches(static_cast<WordValueInt>(classical), static_cast<WordValueInt>(positional)))
        return true;
    const std::size_t wc = DigitCount(classical), wp = DigitCount(positional);

    m_out.Append(isArgument ? "argument " : "line ");
    m_out.AppendNumber(number);
    m_out.Append(": ");
    AppendText(raw, line);
    m_out.Put('\n');

    auto text = [&](std::string_view utf8) {
        for (std::size_t pos = 0; pos < utf8.size();) {
            char32_t c = 0;
            std::size_t len = DecodeUtf8(utf8, pos, c);
            if (len == 0) { // decoded text is well formed; guard against looping all the same
                c = 0xFFFD;
                len = 1;
            }
            if (!ExplainChar(c, utf8.substr(pos, len), wc, wp))
                return false;
            pos += len;
        }
        return true;
    };
    auto bad = [&](std::size_t, unsigned char byte) {
        ExplainDash(wc, wp);
        m_out.Append(HexByte(byte));
        m_out.Append("    not valid ");
        m_out.Append(m_decoder.Name());
        return m_out.Put('\n');
    };
    if (line.Valid()) {
        text(line.text);
    } else {
        PiecesOf rows(text, bad);
        m_decoder.Walk(raw, rows);
    }

    if (line.Valid()) {
        ExplainValues(classical, positional, wc, wp);
        if (m_classical && m_positional) {
            m_out.Append("total; primary numbers ");
            m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(classical)));
            m_out.Append(" (classical), ");
            m_out.AppendNumber(static_cast<std::uint64_t>(PrimaryNumber(positional)));
            m_out.Append(" (positional)\n");
        } else {
            m_out.Append("total, primary number ");
            m_out.AppendNumber(
                static_cast<std::uint64_t>(PrimaryNumber(m_classical ? classical : positional)));
            m_out.Put('\n');
        }
    } else {
        ExplainDash(wc, wp);
        m_out.Append("no total: the text is not valid ");
        m_out.Append(m_decoder.Name());
        m_out.Put('\n');
    }
    return m_out.Put('\n');
}

} // namespace psifonomoi::cli

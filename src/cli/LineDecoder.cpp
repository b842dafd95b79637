// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LineDecoder.h"

#include "Converter.h"

#include "WordValue.h"

#include <algorithm>
#include <strings.h>

namespace psifonomoi::cli {
namespace {

bool IsUtf8Name(const std::string &name)
{
    return name.empty() || ::strcasecmp(name.c_str(), "UTF-8") == 0 ||
           ::strcasecmp(name.c_str(), "UTF8") == 0;
}

} // namespace

std::unique_ptr<LineDecoder> LineDecoder::Create(const std::string &encoding, std::string &error)
{
    std::unique_ptr<LineDecoder> decoder(new LineDecoder);
    if (IsUtf8Name(encoding)) {
        decoder->m_name = "UTF-8";
        return decoder;
    }
    decoder->m_name = encoding;
    decoder->m_converter = Converter::Create(encoding, error);
    if (!decoder->m_converter)
        return nullptr;
    return decoder;
}

LineDecoder::~LineDecoder() = default;

namespace {

// Decode's side of a walk: the text into one buffer, the bad bytes counted.
class Collect final : public LinePieces
{
public:
    Collect(std::string &text, DecodedLine &line) : m_text(text), m_line(line) {}
    bool Text(std::string_view utf8) override
    {
        m_text.append(utf8);
        return true;
    }
    bool Bad(std::size_t offset, unsigned char byte) override
    {
        if (m_line.badCount++ == 0) {
            m_line.firstBad = offset;
            m_line.firstByte = byte;
        }
        return true;
    }

private:
    std::string &m_text;
    DecodedLine &m_line;
};

} // namespace

template <class Pieces>
bool LineDecoder::Split(std::string_view raw, std::size_t from, Pieces &pieces)
{
    if (!m_converter) {
        // A byte that starts no well-formed sequence is bad on its own; the
        // scan goes on from the next byte, as a decoder resynchronises.
        std::size_t pos = 0;
        while (pos < raw.size()) {
            const std::size_t bad = std::min(from, raw.size());
            if (bad > pos && !pieces.Text(raw.substr(pos, bad - pos)))
                return false;
            if (bad == raw.size())
                break;
            if (!pieces.Bad(bad, static_cast<unsigned char>(raw[bad])))
                return false;
            pos = bad + 1;
            const std::size_t next = FindInvalidUtf8(raw.substr(pos));
            from = next == std::string_view::npos ? raw.size() : pos + next;
        }
        return true;
    }

    return m_converter->Convert(raw, pieces);
}

DecodedLine LineDecoder::Decode(std::string_view raw)
{
    std::size_t firstBad = 0;
    if (!m_converter) {
        firstBad = FindInvalidUtf8(raw);
        if (firstBad == std::string_view::npos)
            return {raw};
    }
    DecodedLine line;
    m_converted.clear();
    if (!m_converter)
        m_converted.reserve(raw.size());
    Collect collect(m_converted, line);
    Split(raw, firstBad, collect);
    line.text = m_converted;
    return line;
}

bool LineDecoder::Walk(std::string_view raw, LinePieces &pieces)
{
    std::size_t firstBad = 0;
    if (!m_converter) {
        firstBad = FindInvalidUtf8(raw);
        if (firstBad == std::string_view::npos)
            return raw.empty() || pieces.Text(raw);
    }
    return Split(raw, firstBad, pieces);
}

} // namespace psifonomoi::cli

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LineDecoder.h"

#include "WordValue.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <strings.h>

namespace psifonomoi::cli {
namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

bool IsUtf8Name(const std::string &name)
{
    return name.empty() || ::strcasecmp(name.c_str(), "UTF-8") == 0 ||
           ::strcasecmp(name.c_str(), "UTF8") == 0;
}

// Lines are split on the byte 0x0A before decoding, which is only right when
// the encoding writes a line feed as that one byte (not so for UTF-16, EBCDIC).
bool LineFeedIsOneByte(const std::string &encoding)
{
    const iconv_t cd = ::iconv_open(encoding.c_str(), "UTF-8");
    if (cd == kNoIconv)
        return false;
    char in[] = "\n";
    char out[16];
    char *inPtr = in, *outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const bool ok =
        ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
        ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
        outPtr - out == 1 && out[0] == '\n';
    ::iconv_close(cd);
    return ok;
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
    const iconv_t cd = ::iconv_open("UTF-8", encoding.c_str());
    if (cd == kNoIconv) {
        error = "unknown encoding '" + encoding + "' (see 'iconv --list')";
        return nullptr;
    }
    decoder->m_iconv = cd;
    if (!LineFeedIsOneByte(encoding)) {
        error = "encoding '" + encoding + "' does not write a line feed as the byte 0x0A";
        return nullptr;
    }
    return decoder;
}

LineDecoder::~LineDecoder()
{
    if (m_iconv)
        ::iconv_close(static_cast<iconv_t>(m_iconv));
}

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

constexpr std::size_t kChunk = 1 << 16;

} // namespace

template <class Pieces>
bool LineDecoder::Split(std::string_view raw, std::size_t from, Pieces &pieces)
{
    if (!m_iconv) {
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

    const auto cd = static_cast<iconv_t>(m_iconv);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr); // each line starts in the initial state
    if (!m_chunk)
        m_chunk = std::make_unique_for_overwrite<char[]>(kChunk);
    char *in = const_cast<char *>(raw.data()); // iconv's interface; it does not write
    std::size_t inLeft = raw.size();
    for (;;) {
        char *out = m_chunk.get();
        std::size_t outLeft = kChunk;
        // With no input left, a final call writes out whatever the state holds:
        // converters that may combine a character with the next one (CP1258,
        // TCVN) keep the line's last character until then.
        const bool finalCall = inLeft == 0;
        const std::size_t r = finalCall ? ::iconv(cd, nullptr, nullptr, &out, &outLeft)
                                        : ::iconv(cd, &in, &inLeft, &out, &outLeft);
        const int err = errno;
        if (out != m_chunk.get() &&
            !pieces.Text({m_chunk.get(), static_cast<std::size_t>(out - m_chunk.get())}))
            return false;
        if (r != static_cast<std::size_t>(-1)) {
            if (finalCall)
                return true;
        } else if (err == E2BIG) {
            continue; // the chunk is full; it has been handed over
        } else if (inLeft > 0) {
            // EILSEQ (no such character) or EINVAL (a sequence cut short by the
            // end of the line): set the byte aside and carry on after it.
            if (!pieces.Bad(raw.size() - inLeft, static_cast<unsigned char>(*in)))
                return false;
            ++in;
            --inLeft;
        } else {
            return true; // cannot happen on the final call of a sane converter
        }
    }
}

DecodedLine LineDecoder::Decode(std::string_view raw)
{
    std::size_t firstBad = 0;
    if (!m_iconv) {
        firstBad = FindInvalidUtf8(raw);
        if (firstBad == std::string_view::npos)
            return {raw};
    }
    DecodedLine line;
    m_converted.clear();
    if (!m_iconv)
        m_converted.reserve(raw.size());
    Collect collect(m_converted, line);
    Split(raw, firstBad, collect);
    line.text = m_converted;
    return line;
}

bool LineDecoder::Walk(std::string_view raw, LinePieces &pieces)
{
    std::size_t firstBad = 0;
    if (!m_iconv) {
        firstBad = FindInvalidUtf8(raw);
        if (firstBad == std::string_view::npos)
            return raw.empty() || pieces.Text(raw);
    }
    return Split(raw, firstBad, pieces);
}

} // namespace psifonomoi::cli

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

DecodedLine LineDecoder::Decode(std::string_view raw)
{
    if (m_iconv)
        return DecodeIconv(raw);
    const std::size_t firstBad = FindInvalidUtf8(raw);
    if (firstBad == std::string_view::npos)
        return {raw, {}};
    return DecodeInvalidUtf8(raw, firstBad);
}

DecodedLine LineDecoder::DecodeInvalidUtf8(std::string_view raw, std::size_t firstBad)
{
    m_bad.clear();
    if (m_converted.size() < raw.size())
        m_converted.resize(raw.size());
    std::copy_n(raw.data(), firstBad, m_converted.data());
    std::size_t used = firstBad;
    std::size_t pos = firstBad;
    while (pos < raw.size()) {
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(raw, pos, c);
        if (len == 0) {
            m_bad.push_back({used, pos, static_cast<unsigned char>(raw[pos])});
            ++pos;
            continue;
        }
        std::copy_n(raw.data() + pos, len, m_converted.data() + used);
        used += len;
        pos += len;
    }
    return {std::string_view(m_converted.data(), used), m_bad};
}

DecodedLine LineDecoder::DecodeIconv(std::string_view raw)
{
    const auto cd = static_cast<iconv_t>(m_iconv);
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr); // each line starts in the initial state
    m_bad.clear();
    // One input byte rarely makes more than three bytes of UTF-8; E2BIG grows it.
    if (m_converted.size() < raw.size() * 3 + 16)
        m_converted.resize(raw.size() * 3 + 16);

    char *in = const_cast<char *>(raw.data()); // iconv's interface; it does not write
    std::size_t inLeft = raw.size();
    std::size_t used = 0;
    bool flushed = false;
    while (!flushed) {
        char *out = m_converted.data() + used;
        std::size_t outLeft = m_converted.size() - used;
        // With no input left, a final call writes out whatever the state holds.
        const std::size_t r = inLeft ? ::iconv(cd, &in, &inLeft, &out, &outLeft)
                                     : ::iconv(cd, nullptr, nullptr, &out, &outLeft);
        const int err = errno;
        used = static_cast<std::size_t>(out - m_converted.data());
        if (r != static_cast<std::size_t>(-1)) {
            flushed = inLeft == 0;
            continue;
        }
        if (err == E2BIG) {
            m_converted.resize(m_converted.size() * 2);
        } else if (inLeft > 0) {
            // EILSEQ (no such character) or EINVAL (a sequence cut short by the
            // end of the line): set the byte aside and carry on after it.
            const std::size_t offset = raw.size() - inLeft;
            m_bad.push_back({used, offset, static_cast<unsigned char>(*in)});
            ++in;
            --inLeft;
        } else {
            flushed = true; // cannot happen on the final call of a sane converter
        }
    }
    return {std::string_view(m_converted.data(), used), m_bad};
}

} // namespace psifonomoi::cli

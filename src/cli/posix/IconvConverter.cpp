// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Converter on iconv: every encoding the C library knows.
#include "Converter.h"

#include <cerrno>
#include <iconv.h>

namespace psifonomoi::cli {
namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kChunk = 1 << 16;

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

class IconvConverter final : public Converter
{
public:
    explicit IconvConverter(iconv_t cd) : m_cd(cd) {}
    ~IconvConverter() override { ::iconv_close(m_cd); }
    IconvConverter(const IconvConverter &) = delete;
    IconvConverter &operator=(const IconvConverter &) = delete;

    bool Convert(std::string_view raw, LinePieces &pieces) override;

private:
    iconv_t m_cd;
    std::unique_ptr<char[]> m_chunk; // iconv's output, a piece at a time
};

bool IconvConverter::Convert(std::string_view raw, LinePieces &pieces)
{
    ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // each line starts in the initial state
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
        const std::size_t r = finalCall ? ::iconv(m_cd, nullptr, nullptr, &out, &outLeft)
                                        : ::iconv(m_cd, &in, &inLeft, &out, &outLeft);
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

} // namespace

std::unique_ptr<Converter> Converter::Create(const std::string &encoding, std::string &error)
{
    const iconv_t cd = ::iconv_open("UTF-8", encoding.c_str());
    if (cd == kNoIconv) {
        error = "unknown encoding '" + encoding + "' (see 'iconv --list')";
        return nullptr;
    }
    auto converter = std::make_unique<IconvConverter>(cd);
    if (!LineFeedIsOneByte(encoding)) {
        error = "encoding '" + encoding + "' does not write a line feed as the byte 0x0A";
        return nullptr;
    }
    return converter;
}

} // namespace psifonomoi::cli

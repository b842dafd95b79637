// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Turns the raw bytes of one line into UTF-8 for valuing, with every byte that
// is not valid in the input's encoding set aside. UTF-8 input that is well
// formed (nearly every line) is passed through as a view, without copying.
//
// Bad bytes are only counted: a line of a billion of them must not need
// records for each. Whoever shows them walks the raw line again (Walk), which
// only invalid lines pay for.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace psifonomoi::cli {

struct DecodedLine
{
    std::string_view text;     // well-formed UTF-8: the line without its bad bytes
    std::size_t badCount = 0;  // bytes not valid in the encoding; 0 when the line is valid
    std::size_t firstBad = 0;  // offset in the raw line of the first of them
    unsigned char firstByte{}; // and its value
    bool Valid() const { return badCount == 0; }
};

// Receives a line in order, as runs of well-formed UTF-8 and single bad bytes.
// Either returns false to stop the walk.
class LinePieces
{
public:
    virtual bool Text(std::string_view utf8) = 0;
    virtual bool Bad(std::size_t offset, unsigned char byte) = 0;

protected:
    ~LinePieces() = default;
};

// LinePieces from two callables, for a walk written in place.
template <class OnText, class OnBad> class PiecesOf final : public LinePieces
{
public:
    PiecesOf(OnText text, OnBad bad) : m_text(text), m_bad(bad) {}
    bool Text(std::string_view utf8) override { return m_text(utf8); }
    bool Bad(std::size_t offset, unsigned char byte) override { return m_bad(offset, byte); }

private:
    OnText m_text;
    OnBad m_bad;
};

class Converter;

class LineDecoder
{
public:
    // For an empty name or UTF-8, the built-in UTF-8 path; otherwise the
    // platform's converter (Converter.h). Returns null and sets `error` for an unknown encoding, or
    // one whose line feed is not the single byte 0x0A (lines could not be split).
    static std::unique_ptr<LineDecoder> Create(const std::string &encoding, std::string &error);
    ~LineDecoder();
    LineDecoder(const LineDecoder &) = delete;
    LineDecoder &operator=(const LineDecoder &) = delete;

    // The result stays valid until the next call (and as long as `raw` does).
    DecodedLine Decode(std::string_view raw);

    // Hands `raw` to `pieces` exactly as Decode splits it: the runs of text
    // together make up Decode's text, and each bad byte comes where it stood.
    // Leaves the last result of Decode untouched. False if `pieces` stopped it.
    bool Walk(std::string_view raw, LinePieces &pieces);

    // The built-in UTF-8 path: a valid line is its own text.
    bool IsUtf8() const { return !m_converter; }

    // For messages: "UTF-8" or the name given.
    const std::string &Name() const { return m_name; }

private:
    LineDecoder() = default;
    template <class Pieces> bool Split(std::string_view raw, std::size_t from, Pieces &pieces);

    std::string m_name;
    std::unique_ptr<Converter> m_converter; // null on the UTF-8 path
    std::string m_converted;                // Decode's text when it is not a view of the input
};

} // namespace psifonomoi::cli

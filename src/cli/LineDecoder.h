// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Turns the raw bytes of one line into UTF-8 for valuing, with every byte that
// is not valid in the input's encoding set aside. UTF-8 input that is well
// formed (nearly every line) is passed through as a view, without copying.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace psifonomoi::cli {

// A byte of the input that its encoding does not allow.
struct BadByte
{
    std::size_t at;     // position in the decoded text where the byte stood
    std::size_t offset; // its offset in the raw line
    unsigned char byte;
};

struct DecodedLine
{
    std::string_view text;        // well-formed UTF-8: the line without its bad bytes
    std::span<const BadByte> bad; // in order; empty when the line is valid
    bool Valid() const { return bad.empty(); }
};

class LineDecoder
{
public:
    // For an empty name or UTF-8, the built-in UTF-8 path; otherwise an iconv
    // conversion. Returns null and sets `error` for an unknown encoding, or one
    // whose line feed is not the single byte 0x0A (lines could not be split).
    static std::unique_ptr<LineDecoder> Create(const std::string &encoding, std::string &error);
    ~LineDecoder();
    LineDecoder(const LineDecoder &) = delete;
    LineDecoder &operator=(const LineDecoder &) = delete;

    // The result stays valid until the next call (and as long as `raw` does).
    DecodedLine Decode(std::string_view raw);

    // For messages: "UTF-8" or the name given.
    const std::string &Name() const { return m_name; }

private:
    LineDecoder() = default;
    DecodedLine DecodeInvalidUtf8(std::string_view raw, std::size_t firstBad);
    DecodedLine DecodeIconv(std::string_view raw);

    std::string m_name;
    void *m_iconv = nullptr; // iconv_t; null on the UTF-8 path
    std::string m_converted; // used size is tracked apart; grows, never shrinks
    std::vector<BadByte> m_bad;
};

} // namespace psifonomoi::cli

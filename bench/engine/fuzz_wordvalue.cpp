// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the word value engine. On arbitrary bytes it checks:
// nothing crashes; UTF-8 and UTF-16 give the same value for the same text;
// folding changes no value and keeps the character count; the primary number
// is the repeated digit sum; the block-at-a-time pass splits the bytes into
// the same lines and, on every line it calls plain, agrees with the exact
// functions.
#include "LineValues.h"
#include "Utf16.h"
#include "WordValue.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace psifonomoi;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::size_t CountCharacters(std::string_view utf8)
{
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++characters) {
        char32_t c = 0;
        const std::size_t len = DecodeUtf8(utf8, pos, c);
        Check(len <= 4 && pos + len <= utf8.size());
        Check(len == 0 || (c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)));
        pos += len == 0 ? 1 : len;
    }
    return characters;
}

void CheckPrimary(WordValueInt n)
{
    const std::int32_t p = PrimaryNumber(n);
    const std::uint64_t m =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    // The digit sums themselves, repeated, against the engine's closed form.
    std::uint64_t sum = m;
    do {
        std::uint64_t digits = sum;
        for (sum = 0; digits != 0; digits /= 10)
            sum += digits % 10;
    } while (sum > 9);
    Check(static_cast<std::uint64_t>(p) == sum);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view utf8(reinterpret_cast<const char *>(data), size);

    const std::size_t invalid = FindInvalidUtf8(utf8);
    const std::size_t characters = CountCharacters(utf8);
    const std::u16string utf16 = ToUtf16(utf8);
    Check(utf16.find(u'\uFFFD') != std::u16string::npos || invalid == std::string_view::npos);
    if (invalid != std::string_view::npos) {
        char32_t c = 0;
        Check(invalid < size && DecodeUtf8(utf8, invalid, c) == 0);
        Check(FindInvalidUtf8(utf8.substr(0, invalid)) == std::string_view::npos);
    }

    const std::string folded8 = FoldText(utf8);
    const std::u16string folded16 = FoldText(std::u16string_view(utf16));
    Check(CountCharacters(folded8) == characters);
    Check(folded16.size() == utf16.size());
    Check((FindInvalidUtf8(folded8) == std::string_view::npos) ==
          (invalid == std::string_view::npos));

    for (const TValueSystem system : {vsClassical, vsPositional, vsMilesian}) {
        const TWordValueResult r8 = CalculateWordValue(utf8, system);
        Check(r8 == CalculateWordValue(std::u16string_view(utf16), system));
        Check(r8 == CalculateWordValue(std::string_view(folded8), system));
        Check(r8 == CalculateWordValue(std::u16string_view(folded16), system));
        // At most Ω (800) per two bytes, or sampi (900) in the full numerals.
        Check(r8.WordValue >= 0 && r8.WordValue <= static_cast<WordValueInt>(size) * 450);
        CheckPrimary(r8.WordValue);
    }

    // The input as lines (with a last LF), valued a block at a time.
    const std::string block = std::string(utf8) + '\n';
    std::size_t start = 0;
    for (const int table : {0, 1, 2, 3}) {
        const TValueSystem first = table & 1 ? vsMilesian : vsClassical;
        const bool csv = table & 2;
        start = 0;
        Check(ValueLines(block, PairValues(first, csv), [&](const LineValues &line) {
            const std::size_t lf = block.find('\n', start);
            std::size_t end = lf;
            if (end > start && block[end - 1] == '\r')
                --end;
            Check(line.text.data() == block.data() + start && line.text.size() == end - start);
            start = lf + 1;
            if (line.plain) {
                Check(FindInvalidUtf8(line.text) == std::string_view::npos);
                Check(line.first == SystemValue(line.text, first));
                Check(line.positional == SystemValue(line.text, vsPositional));
                for (const char c : line.text) {
                    const auto b = static_cast<unsigned char>(c);
                    Check(b >= 0x20 && b != '\\' && b != 0x7F && b != 0xC2 && b < 0xE0);
                    Check(!csv || (b != ',' && b != '"'));
                }
            }
            return true;
        }));
        Check(start == block.size());
    }
    Check(invalid != std::string_view::npos || IotaSubscriptCount(utf8) <= characters);

    // The input bytes read as a number exercise the digit sum on any int64.
    if (size >= 8) {
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i)
            n = n << 8 | data[i];
        CheckPrimary(static_cast<WordValueInt>(n));
    }
    return 0;
}

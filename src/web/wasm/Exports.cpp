// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What psifonomoi.js calls in the WebAssembly module. Text comes as UTF-16 in
// a buffer of the module's memory that JavaScript asks for with alloc and
// fills; JavaScript strings are UTF-16 already, so a lone surrogate reaches the
// engine as the code unit it is, worth 0.
#include "WordValue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

using namespace psifonomoi;

#define PSIFONOMOI_EXPORT(name) extern "C" __attribute__((export_name(name)))

// Room for `units` UTF-16 code units; null if the memory cannot grow so far.
PSIFONOMOI_EXPORT("alloc") char16_t *Alloc(std::size_t units)
{
    if (units > SIZE_MAX / sizeof(char16_t))
        return nullptr;
    return static_cast<char16_t *>(std::malloc(units ? units * sizeof(char16_t) : 1));
}

PSIFONOMOI_EXPORT("release") void Release(char16_t *text)
{
    std::free(text);
}

// The word value of the text in system 0 classical, 1 positional or 2
// milesian (JavaScript checks the number); with iotaAdscript, each iota
// subscript adds Ι's value as the command line's --iota-adscript does.
PSIFONOMOI_EXPORT("value")
std::int64_t Value(const char16_t *text, std::size_t units, int system, bool iotaAdscript)
{
    static constexpr TValueSystem kSystems[] = {vsClassical, vsPositional, vsMilesian};
    const TValueSystem chosen = kSystems[static_cast<unsigned>(system) % 3];
    const std::u16string_view view(text, units);
    WordValueInt value = SystemValue(view, chosen);
    if (iotaAdscript)
        value += static_cast<WordValueInt>(IotaSubscriptCount(view)) * LetterValue(U'Ι', chosen);
    return value;
}

// Folds the text in place: every letter becomes its plain capital, one code
// unit for one.
PSIFONOMOI_EXPORT("fold") void Fold(char16_t *text, std::size_t units)
{
    FoldText(std::span<char16_t>(text, units));
}

PSIFONOMOI_EXPORT("primary") std::int32_t Primary(std::int64_t value)
{
    return PrimaryNumber(value);
}

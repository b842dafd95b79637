// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the version note reader: arbitrary bytes as an
// executable image, and as the note's JSON. Neither may read out of bounds,
// overflow, or accept a version outside 16 bits per number.
#include "ExeVersion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

namespace ev = psifonomoi::exeversion;

namespace {

void check(const std::optional<ev::FixedFileInfo> &info, std::string_view block)
{
    // Four numbers need at least seven characters ("0.0.0.0"): anything that
    // shorter yet accepted is a parser fault.
    if (info && block.size() < 7)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto bytes = std::as_bytes(std::span(data, size));
    if (const auto block = ev::findVersionInfo(ev::MemorySource(bytes))) {
        if (block->size() > ev::kMaxVersionInfoSize)
            std::abort();
        check(ev::queryFixedFileInfo(*block), *block);
    }
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    check(ev::queryFixedFileInfo(text), text);
    return 0;
}

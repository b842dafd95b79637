// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the version note reader: arbitrary bytes as an
// executable image, and as the note's JSON. Neither may read out of bounds,
// overflow, or accept a version outside 16 bits per number. (libelf and QtCore
// are not instrumented: the coverage figures count this project's code.)
#include "ExeVersion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace ev = psifonomoi::exeversion;

namespace {

void check(const std::optional<ev::FixedFileInfo> &info, QByteArrayView block)
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
    if (const auto block = ev::FindVersionInfo(bytes)) {
        if (std::size_t(block->size()) > ev::kMaxVersionInfoSize)
            std::abort();
        check(ev::QueryFixedFileInfo(*block), *block);
    }
    const QByteArrayView text(data, qsizetype(size));
    check(ev::QueryFixedFileInfo(text), text);
    return 0;
}

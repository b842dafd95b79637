// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The executable's version information on Linux. An ELF file has no version
// resource, so the link step writes the version into a packaging-metadata note
// (owner "FDO", type 0xcafe1a7e, a JSON text such as
// {"name":"psifonomoi","version":"2.0.0.0","language":"0x0408","codepage":1253}),
// which `readelf -n` shows. This layer finds that note with libelf and reads
// the four 16-bit numbers of the file version from its JSON.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace psifonomoi::exeversion {

// The note's owner name and type, as GNU ld writes them for --package-metadata.
inline constexpr std::string_view kNoteOwner{"FDO", 4}; // with its terminating NUL
inline constexpr std::uint32_t kNoteType = 0xcafe1a7eU;

// Notes larger than this are not ours; refusing them bounds what a damaged or
// hostile file can make us allocate.
inline constexpr std::size_t kMaxVersionInfoSize = 64 * 1024;

// The most note bytes walked in one file. Real executables list a few hundred
// bytes of notes, once by segment and once by section; a hostile one can list
// the same megabyte half a million times.
inline constexpr std::uint64_t kMaxNoteBytesExamined = 4 * 1024 * 1024;

// Opening this reaches the running executable's own file whatever the length
// of its path, and even after the file has been renamed or replaced on disk.
inline constexpr const char *kRunningExecutable = "/proc/self/exe";

// The fixed part of the version information: the file version as two 32-bit
// words, most significant first (major << 16 | minor, release << 16 | build).
struct FixedFileInfo
{
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
};

// The version information of an ELF image: the descriptor of its first
// packaging-metadata note. Empty when there is none, when the image is damaged
// (tables or note regions beyond the end, notes overrunning their region) or
// when finding it would walk more than kMaxNoteBytesExamined bytes of notes.
std::optional<QByteArray> FindVersionInfo(std::span<const std::byte> image);

// The same for the file at `path`, opened once and read only where needed;
// empty too when it is not a regular file or cannot be read.
std::optional<QByteArray> ReadVersionInfo(const QString &path);

// Reads the file version from a version information block: a JSON object
// whose "version" member is a string of exactly four decimal numbers of at
// most 65535, separated by full stops. Anything else is malformed: empty.
std::optional<FixedFileInfo> QueryFixedFileInfo(QByteArrayView block);

} // namespace psifonomoi::exeversion

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The executable's version information on Linux. An ELF file has no version
// resource, so the link step writes the version into a packaging-metadata note
// (owner "FDO", type 0xcafe1a7e, a JSON text such as
// {"name":"psifonomoi","version":"2.0.0.0","language":"0x0408","codepage":1253}),
// which `readelf -n` shows. This layer finds that note and reads the four
// 16-bit numbers of the file version from it.
//
// Plain C++ and POSIX only, so that the parser can be fuzzed without Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace psifonomoi::exeversion {

// The note's owner name and type, as GNU ld writes them for --package-metadata.
inline constexpr std::string_view kNoteOwner{"FDO", 4}; // with its terminating NUL
inline constexpr std::uint32_t kNoteType = 0xcafe1a7eU;

// Notes larger than this are not ours; refusing them bounds what a damaged or
// hostile file can make us allocate.
inline constexpr std::size_t kMaxVersionInfoSize = 64 * 1024;

// Opening this reaches the running executable's own file whatever the length
// of its path, and even after the file has been renamed or replaced on disk.
inline constexpr const char *kRunningExecutable = "/proc/self/exe";

// Random access to the bytes of an executable.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies `dst.size()` bytes from `offset`; false unless all of them exist.
    virtual bool read(std::uint64_t offset, std::span<std::byte> dst) const = 0;
};

// The bytes of an image already in memory (the fuzzer and the tests use it).
class MemorySource final : public ByteSource
{
public:
    explicit MemorySource(std::span<const std::byte> bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, std::span<std::byte> dst) const override;

private:
    std::span<const std::byte> m_bytes;
};

// The descriptor of the first packaging-metadata note in the image: the
// version information block. Empty when there is no such note or when the
// ELF headers are damaged (tables or note segments beyond the end, note sizes
// that overrun their segment, unknown class or byte order).
std::optional<std::string> findVersionInfo(const ByteSource &image);

// The fixed part of the version information: the file version as two 32-bit
// words, most significant first (major << 16 | minor, release << 16 | build).
struct FixedFileInfo
{
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
};

// Reads the file version from a version information block: a JSON object
// whose "version" member is a string of exactly four decimal numbers of at
// most 65535, separated by full stops. Anything else is malformed: empty.
std::optional<FixedFileInfo> queryFixedFileInfo(std::string_view block);

// The size in bytes of the version information of the executable at `path`;
// 0 when it has none or cannot be read.
std::size_t versionInfoSize(const std::string &path);

// Reads the version information of the executable at `path` into `block`,
// which must be exactly versionInfoSize() bytes long; false when the file has
// none, cannot be read, or no longer matches that size.
bool readVersionInfo(const std::string &path, std::span<char> block);

} // namespace psifonomoi::exeversion

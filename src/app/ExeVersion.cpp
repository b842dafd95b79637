// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExeVersion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace psifonomoi::exeversion {

bool MemorySource::read(std::uint64_t offset, std::span<std::byte> dst) const
{
    if (offset > m_bytes.size() || dst.size() > m_bytes.size() - offset)
        return false;
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset), dst.size(), dst.begin());
    return true;
}

namespace {

// ---- ELF ---------------------------------------------------------------------

constexpr std::uint32_t kPtNote = 4;
constexpr std::uint32_t kShtNote = 7;
constexpr std::uint16_t kPnXnum = 0xffff;

// Header tables and note regions are read whole; real executables keep them
// far below these sizes, and the caps bound the memory a damaged file costs.
constexpr std::uint64_t kMaxTableSize = 16 * 1024 * 1024;
constexpr std::uint64_t kMaxNoteRegion = 1024 * 1024;

struct ElfKind
{
    bool is64 = false;
    bool bigEndian = false;
};

// Field offsets and record sizes that differ between the 32- and 64-bit layouts.
struct Layout
{
    std::size_t headerSize, phoff, shoff, phentsize, phnum, shentsize, shnum, addrWidth;
    std::size_t phdrSize, pType, pOffset, pFilesz, pAlign;
    std::size_t shdrSize, shType, shOffset, shSize, shInfo, shAddralign;
};

constexpr Layout kElf32{.headerSize = 52,
                        .phoff = 28,
                        .shoff = 32,
                        .phentsize = 42,
                        .phnum = 44,
                        .shentsize = 46,
                        .shnum = 48,
                        .addrWidth = 4,
                        .phdrSize = 32,
                        .pType = 0,
                        .pOffset = 4,
                        .pFilesz = 16,
                        .pAlign = 28,
                        .shdrSize = 40,
                        .shType = 4,
                        .shOffset = 16,
                        .shSize = 20,
                        .shInfo = 28,
                        .shAddralign = 32};
constexpr Layout kElf64{.headerSize = 64,
                        .phoff = 32,
                        .shoff = 40,
                        .phentsize = 54,
                        .phnum = 56,
                        .shentsize = 58,
                        .shnum = 60,
                        .addrWidth = 8,
                        .phdrSize = 56,
                        .pType = 0,
                        .pOffset = 8,
                        .pFilesz = 32,
                        .pAlign = 48,
                        .shdrSize = 64,
                        .shType = 4,
                        .shOffset = 24,
                        .shSize = 32,
                        .shInfo = 44,
                        .shAddralign = 48};

// Reads an unsigned integer of `width` bytes at `offset` of `record`; the
// caller has made sure the record is long enough.
std::uint64_t field(std::span<const std::byte> record, std::size_t offset, std::size_t width,
                    bool bigEndian)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const std::byte b = record[offset + (bigEndian ? i : width - 1 - i)];
        value = (value << 8) | std::to_integer<std::uint64_t>(b);
    }
    return value;
}

bool fitsIn(std::uint64_t offset, std::uint64_t length, std::uint64_t total)
{
    return offset <= total && length <= total - offset;
}

// Reads `count` records of `entsize` bytes from `offset`, refusing tables that
// lie beyond the file or whose records are too short for the fields we read.
std::optional<std::vector<std::byte>> readTable(const ByteSource &image, std::uint64_t offset,
                                                std::uint64_t entsize, std::uint64_t count,
                                                std::size_t minEntsize)
{
    if (count == 0)
        return std::vector<std::byte>{};
    if (entsize < minEntsize)
        return std::nullopt;
    const std::uint64_t total = entsize * count; // both at most 32 bits wide
    if (total > kMaxTableSize || !fitsIn(offset, total, image.size()))
        return std::nullopt;
    std::vector<std::byte> table(static_cast<std::size_t>(total));
    if (!image.read(offset, table))
        return std::nullopt;
    return table;
}

struct Region
{
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t align = 4;
};

enum class Scan
{
    NotFound,
    Found,
    Malformed
};

std::uint64_t alignUp(std::uint64_t value, std::uint64_t align)
{
    return (value + align - 1) & ~(align - 1);
}

// Walks the notes of one region looking for the packaging-metadata note.
Scan scanNotes(const ByteSource &image, const Region &region, bool bigEndian, std::string &found)
{
    if (region.size > kMaxNoteRegion)
        return Scan::NotFound; // not a region ld writes for us
    std::vector<std::byte> bytes(static_cast<std::size_t>(region.size));
    if (!image.read(region.offset, bytes))
        return Scan::Malformed;
    const std::span<const std::byte> notes(bytes);
    const std::uint64_t size = notes.size();

    std::uint64_t pos = 0;
    while (pos < size) {
        if (size - pos < 12)
            return Scan::Malformed;
        const std::uint64_t namesz = field(notes, pos, 4, bigEndian);
        const std::uint64_t descsz = field(notes, pos + 4, 4, bigEndian);
        const std::uint64_t type = field(notes, pos + 8, 4, bigEndian);
        const std::uint64_t nameOff = pos + 12;
        // All terms are below 2^34 here, so none of the sums can wrap.
        const std::uint64_t descOff = alignUp(nameOff + namesz, region.align);
        const std::uint64_t descEnd = descOff + descsz;
        if (descOff > size || descEnd > size)
            return Scan::Malformed;
        if (namesz == kNoteOwner.size() && type == kNoteType &&
            std::memcmp(notes.data() + nameOff, kNoteOwner.data(), kNoteOwner.size()) == 0) {
            if (descsz > kMaxVersionInfoSize)
                return Scan::Malformed;
            const auto *desc = reinterpret_cast<const char *>(notes.data() + descOff);
            found.assign(desc, static_cast<std::size_t>(descsz));
            return Scan::Found;
        }
        // The last note may lack its trailing padding.
        pos = std::min(alignUp(descEnd, region.align), size);
    }
    return Scan::NotFound;
}

std::uint64_t noteAlignment(std::uint64_t declared)
{
    // Notes are padded to 8 bytes only in regions that say so; everything else,
    // including 64-bit files, uses 4 (as the toolchain writes and reads them).
    return declared == 8 ? 8 : 4;
}

} // namespace

std::optional<std::string> findVersionInfo(const ByteSource &image)
{
    std::array<std::byte, 16> ident{};
    if (!image.read(0, ident))
        return std::nullopt;
    const auto at = [&](std::size_t i) { return std::to_integer<unsigned>(ident[i]); };
    if (at(0) != 0x7f || at(1) != 'E' || at(2) != 'L' || at(3) != 'F')
        return std::nullopt;
    ElfKind kind;
    if (at(4) == 1 || at(4) == 2)
        kind.is64 = at(4) == 2;
    else
        return std::nullopt;
    if (at(5) == 1 || at(5) == 2)
        kind.bigEndian = at(5) == 2;
    else
        return std::nullopt;
    if (at(6) != 1)
        return std::nullopt;

    const Layout &l = kind.is64 ? kElf64 : kElf32;
    const bool be = kind.bigEndian;
    std::array<std::byte, 64> headerBytes{};
    const std::span<std::byte> header(headerBytes.data(), l.headerSize);
    if (!image.read(0, header))
        return std::nullopt;

    const std::uint64_t phoff = field(header, l.phoff, l.addrWidth, be);
    const std::uint64_t shoff = field(header, l.shoff, l.addrWidth, be);
    const std::uint64_t phentsize = field(header, l.phentsize, 2, be);
    std::uint64_t phnum = field(header, l.phnum, 2, be);
    const std::uint64_t shentsize = field(header, l.shentsize, 2, be);
    std::uint64_t shnum = field(header, l.shnum, 2, be);

    // Every table the header announces must lie within the file: a file cut
    // short is damaged even where its notes happen to survive.
    std::vector<std::byte> sections;
    if (shoff != 0) {
        // Section 0 carries the real counts when they overflow the header.
        const auto first = readTable(image, shoff, shentsize, 1, l.shdrSize);
        if (!first)
            return std::nullopt;
        if (shnum == 0)
            shnum = field(*first, l.shSize, l.addrWidth, be);
        if (phnum == kPnXnum)
            phnum = field(*first, l.shInfo, 4, be);
        if (shnum > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        auto table = readTable(image, shoff, shentsize, shnum, l.shdrSize);
        if (!table)
            return std::nullopt;
        sections = std::move(*table);
    } else {
        if (phnum == kPnXnum)
            return std::nullopt;
        shnum = 0; // a count without a table lists nothing
    }
    const auto segments = readTable(image, phoff, phentsize, phnum, l.phdrSize);
    if (!segments)
        return std::nullopt;

    // Segments first: they survive stripping of the section headers.
    std::vector<Region> regions;
    for (std::uint64_t i = 0; i < phnum; ++i) {
        const auto ph = std::span<const std::byte>(*segments).subspan(i * phentsize, l.phdrSize);
        if (field(ph, l.pType, 4, be) != kPtNote)
            continue;
        Region r{field(ph, l.pOffset, l.addrWidth, be), field(ph, l.pFilesz, l.addrWidth, be),
                 noteAlignment(field(ph, l.pAlign, l.addrWidth, be))};
        if (!fitsIn(r.offset, r.size, image.size()))
            return std::nullopt;
        regions.push_back(r);
    }
    for (std::uint64_t i = 0; i < shnum; ++i) {
        const auto sh = std::span<const std::byte>(sections).subspan(i * shentsize, l.shdrSize);
        if (field(sh, l.shType, 4, be) != kShtNote)
            continue;
        Region r{field(sh, l.shOffset, l.addrWidth, be), field(sh, l.shSize, l.addrWidth, be),
                 noteAlignment(field(sh, l.shAddralign, l.addrWidth, be))};
        if (!fitsIn(r.offset, r.size, image.size()))
            return std::nullopt;
        regions.push_back(r);
    }

    std::string found;
    for (const Region &r : regions) {
        switch (scanNotes(image, r, be, found)) {
        case Scan::Found:
            return found;
        case Scan::Malformed:
            return std::nullopt;
        case Scan::NotFound:
            break;
        }
    }
    return std::nullopt;
}

// ---- The version information block ---------------------------------------------

namespace {

// A strict reader of one JSON object that keeps only the top-level "version"
// member. Nesting is capped so that a hostile note cannot exhaust the stack.
class VersionJson
{
public:
    explicit VersionJson(std::string_view text) : m_text(text) {}

    // The "version" string; empty when the text is not one well-formed object
    // with exactly one such member holding a string.
    std::optional<std::string> version()
    {
        skipSpace();
        if (!object(0))
            return std::nullopt;
        skipSpace();
        // The note pads its text with NUL bytes.
        while (m_pos < m_text.size() && m_text[m_pos] == '\0')
            ++m_pos;
        if (m_pos != m_text.size() || m_versionCount != 1)
            return std::nullopt;
        return m_version;
    }

private:
    static constexpr int kMaxDepth = 32;

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    bool take(char c)
    {
        if (atEnd() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }
    void skipSpace()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_pos;
    }

    bool value(int depth)
    {
        skipSpace();
        switch (peek()) {
        case '{':
            return object(depth + 1);
        case '[':
            return array(depth + 1);
        case '"': {
            std::string ignored;
            return string(ignored);
        }
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    bool object(int depth)
    {
        if (depth > kMaxDepth || !take('{'))
            return false;
        skipSpace();
        if (take('}'))
            return true;
        for (;;) {
            skipSpace();
            std::string key;
            if (!string(key))
                return false;
            skipSpace();
            if (!take(':'))
                return false;
            if (depth == 0 && key == "version") {
                // Only a string counts; a number or an object there is malformed.
                skipSpace();
                if (peek() != '"' || !string(m_version))
                    return false;
                ++m_versionCount;
            } else if (!value(depth)) {
                return false;
            }
            skipSpace();
            if (take('}'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool array(int depth)
    {
        if (depth > kMaxDepth || !take('['))
            return false;
        skipSpace();
        if (take(']'))
            return true;
        for (;;) {
            if (!value(depth))
                return false;
            skipSpace();
            if (take(']'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool string(std::string &out)
    {
        if (!take('"'))
            return false;
        while (!atEnd()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (atEnd())
                return false;
            const char e = m_text[m_pos++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out.push_back(e);
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    const char h = peek();
                    unsigned digit = 0;
                    if (h >= '0' && h <= '9')
                        digit = static_cast<unsigned>(h - '0');
                    else if (h >= 'a' && h <= 'f')
                        digit = static_cast<unsigned>(h - 'a' + 10);
                    else if (h >= 'A' && h <= 'F')
                        digit = static_cast<unsigned>(h - 'A' + 10);
                    else
                        return false;
                    ++m_pos;
                    code = code * 16 + digit;
                }
                // Only ASCII can matter to a key or a version; anything else
                // stands in as a byte that matches neither.
                out.push_back(code < 0x80 ? static_cast<char>(code) : '\x7f');
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    bool digits()
    {
        const std::size_t start = m_pos;
        while (!atEnd() && peek() >= '0' && peek() <= '9')
            ++m_pos;
        return m_pos > start;
    }

    bool number()
    {
        take('-');
        if (take('0')) {
            // no further integer digits after a leading zero
        } else if (!digits()) {
            return false;
        }
        if (take('.') && !digits())
            return false;
        if (take('e') || take('E')) {
            if (!take('+'))
                take('-');
            if (!digits())
                return false;
        }
        return true;
    }

    bool literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_versionCount = 0;
    std::string m_version;
};

// "a.b.c.d", each a decimal number that fits 16 bits.
std::optional<FixedFileInfo> parseFileVersion(std::string_view text)
{
    std::array<std::uint32_t, 4> parts{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        const std::size_t start = pos;
        std::uint32_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
            if (value > 0xffff)
                return std::nullopt;
            ++pos;
        }
        if (pos == start)
            return std::nullopt;
        parts[i] = value;
    }
    if (pos != text.size())
        return std::nullopt;
    return FixedFileInfo{parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

// ---- Files ---------------------------------------------------------------------

class FileSource final : public ByteSource
{
public:
    explicit FileSource(const std::string &path)
    {
        if (path.empty() || path.find('\0') != std::string::npos)
            return;
        // Non-blocking, so that a FIFO in the executable's place cannot hang us.
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        struct stat st
        {
        };
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_size = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileSource() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::uint64_t size() const override { return m_size; }

    bool read(std::uint64_t offset, std::span<std::byte> dst) const override
    {
        if (!fitsIn(offset, dst.size(), m_size))
            return false;
        std::size_t done = 0;
        while (done < dst.size()) {
            const ssize_t n = ::pread(m_fd, dst.data() + done, dst.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false; // an error, or the file shrank under us
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

std::optional<std::string> versionInfoOf(const std::string &path)
{
    const FileSource file(path);
    if (!file.isOpen())
        return std::nullopt;
    return findVersionInfo(file);
}

} // namespace

std::optional<FixedFileInfo> queryFixedFileInfo(std::string_view block)
{
    const auto version = VersionJson(block).version();
    if (!version)
        return std::nullopt;
    return parseFileVersion(*version);
}

std::size_t versionInfoSize(const std::string &path)
{
    const auto info = versionInfoOf(path);
    return info ? info->size() : 0;
}

bool readVersionInfo(const std::string &path, std::span<char> block)
{
    const auto info = versionInfoOf(path);
    if (!info || info->empty() || info->size() != block.size())
        return false;
    std::copy(info->begin(), info->end(), block.begin());
    return true;
}

} // namespace psifonomoi::exeversion

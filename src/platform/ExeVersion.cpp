// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExeVersion.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <gelf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>

namespace psifonomoi::exeversion {

namespace {

using ElfHandle = std::unique_ptr<Elf, int (*)(Elf *)>;

struct Region
{
    std::uint64_t offset, size, align;
};

// libelf reads the header tables with its own record sizes and takes a section
// table cut short for none at all. Either is a damaged file here: a file cut
// short is damaged even where its notes happen to survive.
bool TablesSound(Elf *elf, const GElf_Ehdr &eh, std::size_t phnum, std::size_t shnum,
                 std::uint64_t fileSize)
{
    if (phnum > 0 && eh.e_phentsize != gelf_fsize(elf, ELF_T_PHDR, 1, EV_CURRENT))
        return false;
    if (eh.e_shoff == 0)
        return true;
    // Past 16 bits, libelf has checked the count against the file.
    const std::uint64_t count = eh.e_shnum != 0 ? eh.e_shnum : std::max<std::size_t>(shnum, 1);
    return eh.e_shentsize == gelf_fsize(elf, ELF_T_SHDR, 1, EV_CURRENT) && eh.e_shoff <= fileSize &&
           count * eh.e_shentsize <= fileSize - eh.e_shoff;
}

enum class Scan
{
    NotFound,
    Found,
    Malformed
};

// Walks the notes of one region looking for the packaging-metadata note.
Scan ScanNotes(Elf *elf, const Region &region, QByteArray &found)
{
    // Notes are padded to 8 bytes only in regions that say so; everything else,
    // including 64-bit files, uses 4 (as the toolchain writes and reads them).
    Elf_Data *data = elf_getdata_rawchunk(elf, static_cast<off_t>(region.offset), region.size,
                                          region.align == 8 ? ELF_T_NHDR8 : ELF_T_NHDR);
    if (!data)
        return Scan::Malformed; // the region lies beyond the file
    const char *bytes = static_cast<const char *>(data->d_buf);
    for (std::size_t pos = 0; pos < data->d_size;) {
        GElf_Nhdr note;
        std::size_t nameAt = 0, descAt = 0;
        pos = gelf_getnote(data, pos, &note, &nameAt, &descAt);
        if (pos == 0)
            return Scan::Malformed; // a note overruns its region
        if (note.n_type == kNoteType &&
            std::string_view(bytes + nameAt, note.n_namesz) == kNoteOwner) {
            if (note.n_descsz > kMaxVersionInfoSize)
                return Scan::Malformed;
            found = QByteArray(bytes + descAt, static_cast<qsizetype>(note.n_descsz));
            return Scan::Found;
        }
    }
    return Scan::NotFound;
}

std::optional<QByteArray> FindIn(Elf *elf, std::uint64_t fileSize)
{
    GElf_Ehdr eh;
    std::size_t phnum = 0, shnum = 0;
    if (!elf || elf_kind(elf) != ELF_K_ELF || !gelf_getehdr(elf, &eh) ||
        elf_getphdrnum(elf, &phnum) != 0 || elf_getshdrnum(elf, &shnum) != 0 ||
        !TablesSound(elf, eh, phnum, shnum, fileSize))
        return std::nullopt;
    // A file whose notes outrun the budget is as good as damaged.
    std::uint64_t budget = kMaxNoteBytesExamined;
    QByteArray found;
    const auto visit = [&](const Region &r) {
        if (r.size > budget)
            return Scan::Malformed;
        budget -= r.size;
        return r.size == 0 ? Scan::NotFound : ScanNotes(elf, r, found);
    };
    // Segments first: they survive stripping of the section headers.
    Scan scan = Scan::NotFound;
    for (std::size_t i = 0; scan == Scan::NotFound && i < phnum; ++i) {
        GElf_Phdr ph;
        if (!gelf_getphdr(elf, static_cast<int>(i), &ph))
            return std::nullopt;
        if (ph.p_type == PT_NOTE)
            scan = visit({ph.p_offset, ph.p_filesz, ph.p_align});
    }
    // A section count without a table lists nothing.
    for (std::size_t i = 0; scan == Scan::NotFound && eh.e_shoff != 0 && i < shnum; ++i) {
        GElf_Shdr sh;
        if (!gelf_getshdr(elf_getscn(elf, i), &sh))
            return std::nullopt;
        if (sh.sh_type == SHT_NOTE)
            scan = visit({sh.sh_offset, sh.sh_size, sh.sh_addralign});
    }
    return scan == Scan::Found ? std::optional(found) : std::nullopt;
}

} // namespace

std::optional<QByteArray> FindVersionInfo(std::span<const std::byte> image)
{
    if (elf_version(EV_CURRENT) == EV_NONE)
        return std::nullopt;
    // libelf only reads the image; it wants a mutable pointer all the same.
    auto *bytes = const_cast<char *>(reinterpret_cast<const char *>(image.data()));
    const ElfHandle elf(elf_memory(bytes, image.size()), elf_end);
    return FindIn(elf.get(), image.size());
}

std::optional<QByteArray> ReadVersionInfo(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0') || elf_version(EV_CURRENT) == EV_NONE)
        return std::nullopt;
    // Non-blocking, so that a FIFO in the executable's place cannot hang us.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> info;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // ELF_C_READ reads with pread where needed, never maps: a file that
        // shrinks under us fails a read instead of raising SIGBUS.
        const ElfHandle elf(elf_begin(fd, ELF_C_READ, nullptr), elf_end);
        info = FindIn(elf.get(), static_cast<std::uint64_t>(st.st_size));
    }
    ::close(fd);
    return info;
}

std::optional<FixedFileInfo> QueryFixedFileInfo(QByteArrayView block)
{
    // The note pads its text with NUL bytes.
    while (!block.isEmpty() && block.back() == '\0')
        block.chop(1);
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(block.toByteArray(), &error);
    const QJsonValue version = json.object().value(QLatin1String("version"));
    if (error.error != QJsonParseError::NoError || !json.isObject() || !version.isString())
        return std::nullopt;
    const QList<QByteArray> parts = version.toString().toUtf8().split('.');
    std::array<std::uint32_t, 4> n{};
    if (parts.size() != qsizetype(n.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < n.size(); ++i) {
        // Plain decimal digits only: no sign, no space, nothing above 16 bits.
        const QByteArray &part = parts[qsizetype(i)];
        const char *end = part.constData() + part.size();
        const auto [stop, ec] = std::from_chars(part.constData(), end, n[i]);
        if (ec != std::errc{} || stop != end || n[i] > 0xffff)
            return std::nullopt;
    }
    return FixedFileInfo{n[0] << 16 | n[1], n[2] << 16 | n[3]};
}

} // namespace psifonomoi::exeversion

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Builds small ELF images in memory, so that the tests can put any note (or
// any damage) into 32- and 64-bit files of either byte order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace psifonomoi::testing {

struct ElfNote
{
    std::string name; // with its terminating NUL, e.g. std::string("FDO", 4)
    std::uint32_t type = 0;
    std::string desc;
};

inline ElfNote packageNote(const std::string &json)
{
    return {std::string("FDO", 4), 0xcafe1a7eU, json + std::string(1, '\0')};
}

struct ElfImage
{
    bool is64 = true;
    bool bigEndian = false;
    // How many PT_NOTE program headers and SHT_NOTE section headers list the
    // notes; past the header's 16-bit fields, section 0 carries the counts.
    std::size_t noteSegments = 1;
    std::size_t noteSections = 1;
    std::vector<ElfNote> notes;

    // Where build() put things, for tests that damage them.
    std::size_t notesOffset = 0;
    std::size_t notesSize = 0;

    std::vector<std::byte> build()
    {
        std::vector<std::byte> out;
        const std::size_t ehsize = is64 ? 64 : 52, phentsize = is64 ? 56 : 32,
                          shentsize = is64 ? 64 : 40, word = is64 ? 8 : 4;
        const std::size_t phnum = noteSegments, shnum = noteSections ? noteSections + 1 : 0;
        out.resize(ehsize + phnum * phentsize);

        notesOffset = out.size();
        for (const ElfNote &n : notes) {
            put(out, n.name.size(), 4);
            put(out, n.desc.size(), 4);
            put(out, n.type, 4);
            append(out, n.name);
            append(out, n.desc);
        }
        notesSize = out.size() - notesOffset;
        const std::size_t shoff = shnum ? out.size() : 0;
        out.resize(out.size() + shnum * shentsize);

        const char ident[] = {0x7f, 'E', 'L', 'F', char(is64 ? 2 : 1), char(bigEndian ? 2 : 1), 1};
        for (std::size_t i = 0; i < sizeof ident; ++i)
            out[i] = std::byte(static_cast<unsigned char>(ident[i]));
        set(out, 16, 2, 2);               // e_type: executable
        set(out, 20, 4, 1);               // e_version
        const std::size_t at = 24 + word; // past e_entry
        set(out, at, word, phnum ? ehsize : 0);
        set(out, at + word, word, shoff);
        set(out, at + 2 * word + 4, 2, ehsize);
        set(out, at + 2 * word + 6, 2, phentsize);
        set(out, at + 2 * word + 8, 2, std::min<std::size_t>(phnum, 0xffff));
        set(out, at + 2 * word + 10, 2, shentsize);
        set(out, at + 2 * word + 12, 2, shnum < 0xff00 ? shnum : 0);
        if (shnum >= 0xff00 || phnum >= 0xffff) {
            set(out, shoff + (is64 ? 32 : 20), word, shnum); // sh_size of section 0
            set(out, shoff + (is64 ? 44 : 28), 4, phnum);    // sh_info of section 0
        }

        for (std::size_t i = 0; i < phnum; ++i) {
            const std::size_t p = ehsize + i * phentsize;
            set(out, p, 4, 4); // PT_NOTE
            set(out, p + (is64 ? 8 : 4), word, notesOffset);
            set(out, p + (is64 ? 32 : 16), word, notesSize);
            set(out, p + (is64 ? 48 : 28), word, 4);
        }
        for (std::size_t i = 1; i < shnum; ++i) { // section 0 stays null
            const std::size_t s = shoff + i * shentsize;
            set(out, s + 4, 4, 7); // SHT_NOTE
            set(out, s + (is64 ? 24 : 16), word, notesOffset);
            set(out, s + (is64 ? 32 : 20), word, notesSize);
            set(out, s + (is64 ? 48 : 32), word, 4);
        }
        return out;
    }

    void set(std::vector<std::byte> &out, std::size_t offset, std::size_t width,
             std::uint64_t value) const
    {
        for (std::size_t i = 0; i < width; ++i)
            out[offset + (bigEndian ? width - 1 - i : i)] = std::byte((value >> (8 * i)) & 0xff);
    }

private:
    void put(std::vector<std::byte> &out, std::uint64_t value, std::size_t width) const
    {
        out.resize(out.size() + width);
        set(out, out.size() - width, width, value);
    }
    static void append(std::vector<std::byte> &out, const std::string &bytes)
    {
        for (const char c : bytes)
            out.push_back(std::byte(static_cast<unsigned char>(c)));
        while (out.size() % 4)
            out.push_back(std::byte{0});
    }
};

} // namespace psifonomoi::testing

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The lines of a file descriptor, read in blocks into one buffer and handed
// out in place. Only a line longer than the buffer makes it grow, so memory
// follows the longest line, not the input.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace psifonomoi::cli {

class LineReader
{
public:
    // The bytes after a line handed out may be read, though they mean nothing,
    // up to this many: the buffer has that much to spare, so that short lines
    // can be copied in whole words.
    static constexpr std::size_t kSlack = 32;

    LineReader(int fd, std::size_t bufferSize);

    // The next whole line in the buffer, without its LF (nor a CR just before
    // it: that belongs to the line ending of files from Windows); none when
    // the buffer holds no further LF. Valid until the next Read().
    std::optional<std::string_view> NextLine();
    // All the whole lines in the buffer at once, each with its LF (and CR):
    // from the first line not yet handed out through the last LF; empty when
    // the buffer holds no further LF. Valid until the next Read().
    std::string_view NextLines();
    // What follows the last LF: at the end of the input, a last line that has
    // no LF of its own (empty when there is none).
    std::string_view Rest() const;

    // Reads more input after the lines handed out so far. 0, or the errno of
    // a failed read.
    int Read();
    bool AtEnd() const { return m_atEnd; }

private:
    void MakeRoom();

    int m_fd;
    std::size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_start = 0; // of the line not yet handed out
    std::size_t m_scan = 0;  // searched for an LF up to here
    std::size_t m_end = 0;   // of what has been read
    bool m_atEnd = false;
};

} // namespace psifonomoi::cli

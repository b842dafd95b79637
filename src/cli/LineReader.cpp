// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LineReader.h"

#include "Device.h"
#include "OutputBuffer.h"

#include <algorithm>
#include <cstring>

namespace psifonomoi::cli {

LineReader::LineReader(int fd, std::size_t bufferSize)
    : m_fd(fd), m_capacity(std::max<std::size_t>(bufferSize, 16)),
      m_buffer(std::make_unique_for_overwrite<char[]>(m_capacity + kSlack))
{
}

std::optional<std::string_view> LineReader::NextLine()
{
    const char *nl = FindByte(m_buffer.get() + m_scan, m_buffer.get() + m_end, '\n');
    if (nl == m_buffer.get() + m_end) {
        m_scan = m_end;
        return std::nullopt;
    }
    const auto lineEnd = static_cast<std::size_t>(nl - m_buffer.get());
    std::size_t length = lineEnd - m_start;
    if (length > 0 && m_buffer[m_start + length - 1] == '\r')
        --length;
    const std::string_view line(m_buffer.get() + m_start, length);
    m_start = m_scan = lineEnd + 1;
    return line;
}

std::string_view LineReader::NextLines()
{
    // Backwards from the end: only the part line after the last LF is read
    // twice. What lies before m_scan holds no LF that is not handed out.
    const std::size_t scanned = m_scan;
    std::size_t end = m_end;
    while (end > scanned && m_buffer[end - 1] != '\n')
        --end;
    m_scan = m_end;
    if (end == scanned)
        return {};
    const std::string_view lines(m_buffer.get() + m_start, end - m_start);
    m_start = end;
    return lines;
}

std::string_view LineReader::Rest() const
{
    return {m_buffer.get() + m_start, m_end - m_start};
}

void LineReader::MakeRoom()
{
    // The part line moves to the front; a buffer that it fills doubles.
    if (m_start > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_start, m_end - m_start);
        m_end -= m_start;
        m_scan -= m_start;
        m_start = 0;
    }
    if (m_end == m_capacity) {
        const std::size_t grown = m_capacity * 2;
        auto bigger = std::make_unique_for_overwrite<char[]>(grown + kSlack);
        std::memcpy(bigger.get(), m_buffer.get(), m_end);
        m_buffer = std::move(bigger);
        m_capacity = grown;
    }
}

int LineReader::Read()
{
    MakeRoom();
    int error = 0;
    const std::ptrdiff_t n = ReadSome(m_fd, m_buffer.get() + m_end, m_capacity - m_end, error);
    if (n < 0)
        return error;
    m_atEnd = n == 0;
    m_end += static_cast<std::size_t>(n);
    return 0;
}

} // namespace psifonomoi::cli

// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Device.h"

#include <cerrno>
#include <unistd.h>

namespace psifonomoi::cli {

std::ptrdiff_t ReadSome(int fd, char *data, std::size_t size, int &error)
{
    ssize_t n;
    do
        n = ::read(fd, data, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        error = errno;
    return n;
}

struct OutputDevice::State
{
    int fd;
};

OutputDevice::OutputDevice(int fd) : m_state(new State{fd}) {}

OutputDevice::~OutputDevice() = default;

int OutputDevice::Write(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_state->fd, data, size);
        if (n < 0) {
            if (errno != EINTR)
                return errno;
            continue;
        }
        if (n == 0) // never for a valid descriptor; do not spin on it
            return EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace psifonomoi::cli

#include "platform/files/FileDescriptor.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace {

// Reads in steps of this size, so that a stop is seen between them.
constexpr qint64 kReadStep = qint64(1) << 20;

} // namespace

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool ReadFully(int fd, char *data, qint64 length, const std::function<bool()> &stopped)
{
    while (length > 0) {
        if (stopped && stopped())
            return false;
        const ssize_t got = ::read(fd, data, size_t(std::min(length, kReadStep)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        length -= got;
    }
    return true;
}

bool WriteFully(int fd, const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        data += written;
        length -= written;
    }
    return true;
}

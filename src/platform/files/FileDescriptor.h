#pragma once

#include <QtGlobal>

#include <functional>

// An open file descriptor, closed when it goes; -1 when nothing is open.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Reads exactly length bytes into data, going on after a signal; false at an error (errno
// set), at the file's end, or once stopped (when given) says so between steps of a megabyte.
bool ReadFully(int fd, char *data, qint64 length, const std::function<bool()> &stopped = {});
// Writes all length bytes, going on after a signal or a short write; false with errno set.
bool WriteFully(int fd, const char *data, qint64 length);

#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property the code under test promises. When it does not hold, the target aborts, so that
// libFuzzer reports the input as a crash and keeps it.
inline void require(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

inline QByteArrayView bytesOf(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

// What an edit did to a file's bytes: the run it took out and the run it put in its place,
// all before and after them being the same.
struct ChangedBytes
{
    QByteArray removed;
    QByteArray inserted;
};

inline ChangedBytes changedBytes(const QByteArray &before, const QByteArray &after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {before.sliced(prefix, before.size() - prefix - suffix),
            after.sliced(prefix, after.size() - prefix - suffix)};
}

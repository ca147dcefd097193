#pragma once

#include "platform/runtime/RuntimeError.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stop_token>

// The normal files of a directory that match a pattern, listed once and put in enumeration
// order: what the directory enumeration goes through. Made on one thread, a listing can be
// handed to another and used there, so a slow directory need not be listed where it holds
// anything up.
//
// The pattern is a directory part (up to and including the last '/', none meaning the
// current directory) followed by a wildcard matched against each name as FileNameMatches
// does. Normal files are regular files, or links to them, whose names do not begin with a
// dot; directories, sockets, FIFOs and devices are left out.
//
// Names come in FileName's lossless text form, so one that is not valid UTF-8 still opens
// (FileName::toBytes gives its bytes back). The order is ordinal over that text, code unit
// by code unit, as for any text: valid names keep the order of their characters' UTF-16
// code units, and a stray byte 0xXY sorts as the code unit U+DCXY, after the surrogate
// pairs and before U+E000..U+FFFF. The names' bytes would sort otherwise (UTF-8 puts
// U+E000..U+FFFF before the supplementary characters), so byte order would reorder valid
// names too; and the display form would make distinct names equal.
class DirectoryListing
{
public:
    // Lists the directory now; an error is kept, for names() to raise.
    explicit DirectoryListing(const QString &pattern);
    // The same, unless a stop is requested before the listing is done: that ends it between
    // two entries, and gives nothing.
    static std::optional<DirectoryListing> unlessStopped(const QString &pattern, const std::stop_token &stop);

    // The directory part of pattern: the directory a listing of it reads.
    static QString directoryOf(const QString &pattern);

    const QString &pattern() const { return m_pattern; }
    bool failed() const { return m_error.has_value(); }
    // The names in order. Raises what listing raised: RuntimeError(PathNotFound) when the
    // directory does not exist and RuntimeError(PathFileAccess) when it cannot be read.
    const QStringList &names() const;

private:
    DirectoryListing(const QString &pattern, const std::stop_token &stop);

    QString m_pattern;
    QStringList m_names;
    std::optional<RuntimeError> m_error;
    bool m_stopped = false;
};

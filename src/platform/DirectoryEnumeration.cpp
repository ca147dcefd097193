#include "platform/DirectoryEnumeration.h"

#include "platform/FileNamePattern.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QString DirectoryEnumeration::First(const QString &pattern)
{
    m_names.clear();
    m_next = 0;

    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString directory = slash < 0 ? QStringLiteral(".") : pattern.left(slash + 1);
    const QString wildcard = pattern.mid(slash + 1);
    const QString source = QStringLiteral("Dir(\"%1\")").arg(pattern);

    const QFileInfo directoryInfo(directory);
    if (!directoryInfo.isDir())
        throw RuntimeError(RuntimeError::PathNotFound, source, QDir::toNativeSeparators(directory));
    if (!directoryInfo.isReadable() || !directoryInfo.isExecutable())
        throw RuntimeError(RuntimeError::PathFileAccess, source, QDir::toNativeSeparators(directory));

    // Every entry is listed and judged here, so the rule for normal files is ours rather
    // than the combination of QDir's filter flags.
    QDirIterator entries(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        const QString name = entry.fileName();
        if (name.startsWith(QLatin1Char('.')) || !entry.isFile())
            continue;
        if (FileNameMatches(wildcard, name))
            m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end());
    return Next();
}

QString DirectoryEnumeration::Next()
{
    if (m_next >= m_names.size())
        return {};
    return m_names.at(m_next++);
}

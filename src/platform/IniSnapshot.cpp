#include "platform/IniSnapshot.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <utility>

namespace {

bool sameSettings(const QSettings &written, const QSettings &reread)
{
    const QStringList keys = written.allKeys();
    if (reread.allKeys() != keys)
        return false;
    for (const QString &key : keys) {
        if (reread.value(key) != written.value(key))
            return false;
    }
    return true;
}

} // namespace

IniSnapshot::IniSnapshot(const QByteArray &contents, QString settingsFile, QString source)
    : m_settingsFile(std::move(settingsFile)), m_source(std::move(source))
{
    if (!m_dir.isValid())
        raise(QStringLiteral("cannot create a working copy: %1").arg(m_dir.errorString()));
    m_settings = parse(contents);
    if (!m_settings)
        raise(QStringLiteral("the file is not a valid settings file"));
}

QByteArray IniSnapshot::serialise()
{
    const QString failure =
        QStringLiteral("cannot write a working copy in %1").arg(QDir::toNativeSeparators(m_dir.path()));
    m_settings->sync();
    QFile copy(m_settings->fileName());
    if (m_settings->status() != QSettings::NoError || !copy.open(QIODevice::ReadOnly))
        raise(failure);
    const QByteArray contents = copy.readAll();

    // QSettings writes through QSaveFile, which reports success even when its last flush fails
    // (a full disk), leaving a short file; so the copy only counts once it reads back the same.
    const std::unique_ptr<QSettings> reread = parse(contents);
    if (!reread || !sameSettings(*m_settings, *reread))
        raise(failure);
    return contents;
}

std::unique_ptr<QSettings> IniSnapshot::parse(const QByteArray &contents)
{
    const QString path = m_dir.filePath(QStringLiteral("copy%1.ini").arg(m_copies++));
    QFile copy(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(contents) != contents.size() || !copy.flush())
        raise(QStringLiteral("cannot write a working copy: %1").arg(copy.errorString()));
    copy.close();

    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    // QSettings parses the keys of a section only when they are first used; parse them all now so
    // that a damaged file is reported here instead of being rewritten without its damaged lines.
    settings->allKeys();
    if (settings->status() != QSettings::NoError)
        return nullptr;
    return settings;
}

void IniSnapshot::raise(const QString &reason) const
{
    throw RuntimeError(RuntimeError::PathFileAccess, m_source,
                       QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_settingsFile), reason));
}

#include "IsolatedUserDirs.h"
#include "ApplicationTitle.h"

#include <QDir>
#include <QFile>

IsolatedUserDirs::IsolatedUserDirs()
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("config"));
    root.mkpath(QStringLiteral("runtime"));
    root.mkpath(QStringLiteral("cache"));
    // Qt insists on a private runtime directory.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString IsolatedUserDirs::configHome() const
{
    return m_root.filePath(QStringLiteral("config"));
}

QString IsolatedUserDirs::cacheHome() const
{
    return m_root.filePath(QStringLiteral("cache"));
}

QString IsolatedUserDirs::runtimeDir() const
{
    return m_root.filePath(QStringLiteral("runtime"));
}

QString IsolatedUserDirs::settingsFile() const
{
    return configHome() + u'/' + kApplicationTitle + QStringLiteral(".ini");
}

QProcessEnvironment IsolatedUserDirs::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome());
    return env;
}

void IsolatedUserDirs::applyToThisProcess() const
{
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", cacheHome().toLocal8Bit());
}

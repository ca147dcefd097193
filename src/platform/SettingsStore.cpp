#include "platform/SettingsStore.h"

#include "platform/IniSnapshot.h"
#include "platform/RuntimeError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

#include <unistd.h>

namespace {

// Long enough for any honest writer; a lock that stays longer is reported rather than waited on
// for ever. Locks left by a process that died are taken over at once.
constexpr std::chrono::milliseconds LockTimeout{20000};
// QLockFile's own waiting doubles its pause up to seconds, so a waiter could starve while other
// processes save back to back; short pauses give it a fair chance.
constexpr std::chrono::milliseconds LockRetryPause{1};

[[noreturn]] void raiseAccessError(const QString &source, const QString &path, const QString &reason)
{
    throw RuntimeError(RuntimeError::PathFileAccess, source,
                       QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
}

// The whole file, or nothing when it does not exist.
std::optional<QByteArray> readSettingsFile(const QString &path, const QString &source)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return std::nullopt;
        raiseAccessError(source, path, file.errorString());
    }
    QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseAccessError(source, path, file.errorString());
    return contents;
}

// The file is replaced in one rename, so readers and a crash never see half of it.
void writeSettingsFile(const QString &path, const QByteArray &contents, const QString &source)
{
    QSaveFile file(path);
    // commit() alone misses a failure of the last flush or of the flush to disk (a full disk) and
    // would put a short file in place; without a commit the old file stays.
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.flush())
        raiseAccessError(source, path, file.errorString());
    if (::fsync(file.handle()) != 0)
        raiseAccessError(source, path, qt_error_string(errno));
    if (!file.commit())
        raiseAccessError(source, path, file.errorString());
}

void lockOrRaise(QLockFile &lock, const QString &lockPath, const QString &source)
{
    const QDeadlineTimer deadline(LockTimeout);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError)
            raiseAccessError(source, lockPath, QStringLiteral("cannot create the lock file"));
        if (deadline.hasExpired())
            raiseAccessError(source, lockPath, QStringLiteral("the file stayed locked by another program"));
        std::this_thread::sleep_for(LockRetryPause);
    }
}

// A value written by hand or by another program may come back as something other than text.
QString storedText(const QVariant &value, const QString &source, const QString &path)
{
    // An unquoted value with commas reads as a list; the commas are part of the text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    if (value.canConvert<QString>())
        return value.toString();
    throw RuntimeError(RuntimeError::TypeMismatch, source,
                       QStringLiteral("%1: the stored value is not text").arg(QDir::toNativeSeparators(path)));
}

} // namespace

QString SettingsFilePath(const QString &application)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, application, QString()).fileName();
}

std::optional<QString> StoredSetting(const QString &application, const QString &section, const QString &key)
{
    const QString source = QStringLiteral("GetSetting(\"%1\")").arg(key);
    const QString path = SettingsFilePath(application);
    // Saves replace the file in one rename, so reading needs no lock.
    const std::optional<QByteArray> contents = readSettingsFile(path, source);
    if (!contents)
        return std::nullopt;

    IniSnapshot snapshot(*contents, path, source);
    QSettings &settings = snapshot.settings();
    settings.beginGroup(section);
    if (!settings.contains(key))
        return std::nullopt;
    return storedText(settings.value(key), source, path);
}

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue)
{
    return StoredSetting(application, section, key).value_or(defaultValue);
}

void SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString source = QStringLiteral("SaveSetting(\"%1\")").arg(key);
    const QString path = SettingsFilePath(application);
    const QString directory = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(directory))
        raiseAccessError(source, directory, QStringLiteral("cannot create the directory"));

    // The lock QSettings itself takes around a save, so that no other program's save of this
    // file falls between our read and our write.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    lockOrRaise(lock, lockPath, source);

    IniSnapshot snapshot(readSettingsFile(path, source).value_or(QByteArray()), path, source);
    QSettings &settings = snapshot.settings();
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    writeSettingsFile(path, snapshot.serialise(), source);
}

#include "platform/SettingsStore.h"

#include "platform/IniDocument.h"
#include "platform/RegularFileRead.h"
#include "platform/RuntimeError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

#include <unistd.h>

namespace {

// Far beyond any settings file; keeps a file that is something else from filling the memory.
constexpr qint64 kSizeLimit = 1024 * 1024;

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

void checkNames(const QString &section, const QString &key, const QString &path, const QString &source)
{
    for (const QString &name : {section, key}) {
        if (!IniDocument::isName(name))
            raiseAccessError(source, path, QStringLiteral("\"%1\" cannot be a name in a settings file").arg(name));
    }
}

// The file as it is on disk now, never a copy remembered from before; empty when it does not
// exist.
IniDocument readDocument(const QString &path, const QString &source)
{
    IniDocument document(readRegularFile(path, kSizeLimit, source).value_or(QByteArray()));
    if (!document.error().isEmpty())
        raiseAccessError(source, path,
                         QStringLiteral("the file is not a valid settings file: %1").arg(document.error()));
    return document;
}

} // namespace

QString SettingsFilePath(const QString &application)
{
    // Where QSettings puts an application's INI file, made absolute as it does. Asking QSettings
    // itself would make it open and read the file (and wait for ever on a named pipe).
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFileInfo(directory + u'/' + application + QStringLiteral(".ini")).absoluteFilePath();
}

std::optional<QString> StoredSetting(const QString &application, const QString &section, const QString &key)
{
    const QString source = QStringLiteral("GetSetting(\"%1\")").arg(key);
    const QString path = SettingsFilePath(application);
    checkNames(section, key, path, source);
    // Saves replace the file in one rename, so reading needs no lock.
    return readDocument(path, source).value(section, key);
}

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue)
{
    return StoredSetting(application, section, key).value_or(defaultValue);
}

void SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString source = QStringLiteral("SaveSetting(\"%1\")").arg(key);
    const QString path = SettingsFilePath(application);
    checkNames(section, key, path, source);
    const QString directory = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(directory))
        raiseAccessError(source, directory, QStringLiteral("cannot create the directory"));

    // The lock QSettings itself takes around a save, so that no other program's save of this
    // file falls between our read and our write.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    lockOrRaise(lock, lockPath, source);

    IniDocument document = readDocument(path, source);
    document.setValue(section, key, value);
    const QByteArray contents = document.contents();
    if (IniDocument(contents).value(section, key) != value)
        raiseAccessError(source, path, QStringLiteral("the value cannot be written so that it reads back the same"));
    writeSettingsFile(path, contents, source);
}

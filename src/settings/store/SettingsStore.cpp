#include "settings/store/SettingsStore.h"

#include "platform/files/FileName.h"
#include "platform/runtime/RuntimeError.h"
#include "platform/runtime/Warning.h"
#include "settings/store/FileReplacement.h"
#include "settings/store/IniDocument.h"
#include "settings/store/RegularFileRead.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Far beyond any settings file; keeps a file that is something else from filling the memory.
constexpr qint64 kSizeLimit = 1024 * 1024;

void checkNames(const QString &section, const QString &key, const QString &path, const QString &source)
{
    for (const QString &name : {section, key}) {
        if (!IniDocument::isName(name))
            RaiseFileAccessError(source, path, QStringLiteral("\"%1\" cannot be a name in a settings file").arg(name));
    }
}

// One line on stderr for the stray lines of a file, once for as long as the file stays the
// same, however often it is read.
void reportStrayLines(const QString &path, const IniDocument &document)
{
    static QString lastReport;
    const std::vector<int> &stray = document.strayLines();
    if (stray.empty())
        return;
    const QString report = stray.size() == 1
        ? QStringLiteral("%1: line %2 is not a [section], a key=value line, a comment or blank; it is passed "
                         "over and kept as it is")
              .arg(QDir::toNativeSeparators(FileName::forDisplay(path)))
              .arg(stray.front())
        : QStringLiteral("%1: line %2 and %3 more are not a [section], a key=value line, a comment or blank; "
                         "they are passed over and kept as they are")
              .arg(QDir::toNativeSeparators(FileName::forDisplay(path)))
              .arg(stray.front())
              .arg(stray.size() - 1);
    if (report == lastReport)
        return;
    lastReport = report;
    WriteStderrLine(report);
}

// The file as it is on disk now, never a copy remembered from before; empty when it does not
// exist.
IniDocument readDocument(const QString &path, const QString &source)
{
    IniDocument document(readRegularFile(path, kSizeLimit, source).value_or(QByteArray()));
    if (!document.error().isEmpty())
        RaiseFileAccessError(source, path, QStringLiteral("not a settings file: %1").arg(document.error()));
    reportStrayLines(path, document);
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
        RaiseFileAccessError(source, directory, QStringLiteral("cannot create the directory"));

    // Read under the lock, so that no other program's save falls between the read and the write.
    FileReplacement replacement(path, source);
    IniDocument document = readDocument(path, source);
    document.setValue(section, key, value);
    const QByteArray contents = document.contents();
    if (IniDocument(contents).value(section, key) != value)
        RaiseFileAccessError(source, path,
                             QStringLiteral("the value cannot be written so that it reads back the same"));
    replacement.commit(contents);
}

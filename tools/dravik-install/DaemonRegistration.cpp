#include "DaemonRegistration.h"

#include "DaemonProgramsList.h"
#include "InstallCommand.h"
#include "platform/files/FileOwner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <cerrno>
#include <optional>

#include <unistd.h>

namespace DaemonRegistration {

namespace {

// A ~/.xscreensaver that cannot be read or written; the file is as it was.
struct FileFailure
{
    QString message;
};

QString quoted(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// The file's bytes, or nothing when there is no file.
std::optional<QByteArray> readIfPresent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo(path).exists())
            return std::nullopt;
        throw FileFailure{QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    }
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileFailure{QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    return text;
}

[[noreturn]] void failWrite(const QString &path, const QString &reason)
{
    throw FileFailure{QStringLiteral("cannot write %1: %2; it was left as it was").arg(path, reason)};
}

// QSaveFile writes a temporary file beside the target and renames it over it; it keeps the
// old file's permissions, writes through a symbolic link to its target and refuses a file
// that is read-only, all of which the tests hold it to. The owner it leaves to us.
void replaceFile(const QString &path, const QByteArray &text)
{
    QSaveFile file(path);
    // commit() alone would miss a failing last flush and put a short file in place.
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
        failWrite(path, file.errorString());
    if (!KeepOwnerOf(QFileInfo(path).canonicalFilePath(), file.handle()))
        failWrite(path, QStringLiteral("cannot keep its owner and group: %1").arg(qt_error_string(errno)));
    if (::fsync(file.handle()) != 0)
        failWrite(path, qt_error_string(errno));
    if (!file.commit())
        failWrite(path, file.errorString());
}

int refuseWithoutFile(const QString &path, QTextStream &err)
{
    err << "dravik-install: " << path
        << " does not exist yet, so xscreensaver has not been set up for this account. Open "
           "xscreensaver-settings and change any setting once (it then writes the file with all of the "
           "daemon's settings), and run dravik-install --xscreensaver again. Nothing was written.\n";
    return InstallCommand::Refused;
}

int refuseEdit(const QString &path, const QString &reason, QTextStream &err)
{
    err << "dravik-install: " << path << " was left as it was: " << reason << ". Add "
        << quoted(QString::fromLatin1(DaemonProgramsList::kCommand))
        << " to its programs: list by hand, or change any setting in xscreensaver-settings once so that it "
           "writes the list anew, and run dravik-install --xscreensaver again.\n";
    return InstallCommand::Refused;
}

int applyEdit(const QString &path, const QByteArray &text, QTextStream &out, QTextStream &err)
{
    const DaemonProgramsList::Edit result = DaemonProgramsList::withSaverEnabled(text);
    if (!result.refusal.isEmpty())
        return refuseEdit(path, result.refusal, err);
    if (!result.changed) {
        out << "xscreensaver: already listed and enabled in " << path << '\n';
        return InstallCommand::Success;
    }
    const bool wasListed = DaemonProgramsList::registration(text) == DaemonProgramsList::Registration::Disabled;
    replaceFile(path, result.text);
    out << "xscreensaver: " << (wasListed ? "enabled in " : "added to the programs: list in ") << path << '\n';
    return InstallCommand::Success;
}

QString registrationText(const QString &path, const std::optional<QByteArray> &text)
{
    if (!text)
        return QStringLiteral("no %1 yet; xscreensaver-settings writes it").arg(path);
    switch (DaemonProgramsList::registration(*text)) {
    case DaemonProgramsList::Registration::Enabled:
        return QStringLiteral("listed and enabled in %1").arg(path);
    case DaemonProgramsList::Registration::Disabled:
        return QStringLiteral("listed but disabled in %1; dravik-install --xscreensaver enables it").arg(path);
    case DaemonProgramsList::Registration::NotListed:
        return QStringLiteral("not listed in %1; dravik-install --xscreensaver adds it").arg(path);
    case DaemonProgramsList::Registration::NoList:
        break;
    }
    return QStringLiteral("not listed: %1 has no programs: list").arg(path);
}

int reportFailure(const FileFailure &failure, QTextStream &err)
{
    err << "dravik-install: " << failure.message << '\n';
    return InstallCommand::StoreFailure;
}

} // namespace

QString userFilePath()
{
    return QDir::homePath() + QStringLiteral("/.xscreensaver");
}

int registerSaver(QTextStream &out, QTextStream &err)
{
    const QString path = userFilePath();
    try {
        const std::optional<QByteArray> text = readIfPresent(path);
        return text ? applyEdit(path, *text, out, err) : refuseWithoutFile(path, err);
    } catch (const FileFailure &failure) {
        return reportFailure(failure, err);
    }
}

int showRegistration(QTextStream &out, QTextStream &err)
{
    const QString path = userFilePath();
    try {
        const QString text = registrationText(path, readIfPresent(path));
        out << "xscreensaver: " << text << '\n';
        return InstallCommand::Success;
    } catch (const FileFailure &failure) {
        out << "xscreensaver: unknown\n";
        return reportFailure(failure, err);
    }
}

} // namespace DaemonRegistration

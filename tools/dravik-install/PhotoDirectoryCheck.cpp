#include "PhotoDirectoryCheck.h"

#include "ReadableName.h"
#include "platform/files/DirectoryEnumeration.h"
#include "platform/files/FileName.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace PhotoDirectoryCheck {

namespace {

// Why the saver would not show the file; empty when it would.
QString whyNotShown(const QString &path)
{
    // The saver's own bounded load, time limit included, so a file passes only if the saver
    // would show it. A tiny decode: enough to know, and cheap even for a large photo.
    LoadStop stop(kPictureLoadTimeLimit);
    stop.start();
    try {
        LoadPicture(path, QSize(8, 8), stop);
        return {};
    } catch (const RuntimeError &error) {
        return error.detail().isEmpty() ? error.description() : error.detail();
    }
}

// Empty when the directory holds a picture the saver shows, otherwise why the first file is
// not one ("no files to try" when there is none).
QString whyNoneShown(const QString &recordedDirectory)
{
    // The same listing the saver uses.
    DirectoryEnumeration listing;
    QString firstRefusal;
    for (QString name = listing.First(recordedDirectory + QStringLiteral("*.*")); !name.isEmpty();
         name = listing.Next()) {
        const QString why = whyNotShown(recordedDirectory + name);
        if (why.isEmpty())
            return {};
        if (firstRefusal.isEmpty())
            firstRefusal = QStringLiteral("%1: %2").arg(FileName::forDisplay(name), why);
    }
    return firstRefusal.isEmpty() ? QStringLiteral("no files to try") : firstRefusal;
}

} // namespace

QString refusal(const QString &directory)
{
    // By its bytes: Qt's own file functions would lose a name that is not UTF-8.
    const QString shown = ReadableName::of(directory);
    const std::optional<QByteArray> name = FileName::toBytes(directory);
    struct stat status = {};
    if (directory.isEmpty() || !name)
        return QStringLiteral("%1 does not exist").arg(shown);
    if (::stat(name->constData(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return QStringLiteral("%1 does not exist").arg(shown);
        return QStringLiteral("%1 cannot be reached: %2").arg(shown, qt_error_string(error));
    }
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is not a directory").arg(shown);
    if (::access(name->constData(), R_OK | X_OK) != 0)
        return QStringLiteral("%1 cannot be read").arg(shown);
    try {
        const QString why = whyNoneShown(recordedForm(directory));
        if (!why.isEmpty())
            return QStringLiteral("%1 holds no picture the saver can show (%2)").arg(shown, why);
    } catch (const RuntimeError &error) {
        return QStringLiteral("%1 cannot be listed: %2").arg(shown, error.message());
    }
    return {};
}

QString recordedForm(const QString &directory)
{
    QString absolute = directory;
    if (!directory.startsWith(QLatin1Char('/'))) {
        // The working directory by its bytes, as the directory itself.
        std::unique_ptr<char, decltype(&std::free)> workingDirectory(::getcwd(nullptr, 0), &std::free);
        if (workingDirectory)
            absolute = FileName::fromBytes(workingDirectory.get()) + QLatin1Char('/') + directory;
    }
    absolute = QDir::cleanPath(absolute);
    return absolute.endsWith(QLatin1Char('/')) ? absolute : absolute + QLatin1Char('/');
}

bool hasCaptionName(const QString &recordedDirectory)
{
    return QFileInfo(QDir::cleanPath(recordedDirectory))
               .fileName()
               .compare(QStringLiteral("draviks"), Qt::CaseInsensitive)
        == 0;
}

} // namespace PhotoDirectoryCheck

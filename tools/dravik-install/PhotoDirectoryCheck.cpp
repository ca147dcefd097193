#include "PhotoDirectoryCheck.h"

#include "platform/DirectoryEnumeration.h"
#include "platform/FileName.h"
#include "platform/LoadStop.h"
#include "platform/PictureLoader.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

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
    const QFileInfo info(directory);
    if (directory.isEmpty() || !info.exists())
        return QStringLiteral("%1 does not exist").arg(directory);
    if (!info.isDir())
        return QStringLiteral("%1 is not a directory").arg(directory);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("%1 cannot be read").arg(directory);
    try {
        const QString why = whyNoneShown(recordedForm(directory));
        if (!why.isEmpty())
            return QStringLiteral("%1 holds no picture the saver can show (%2)").arg(directory, why);
    } catch (const RuntimeError &error) {
        return QStringLiteral("%1 cannot be listed: %2").arg(directory, error.message());
    }
    return {};
}

QString recordedForm(const QString &directory)
{
    const QString absolute = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
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

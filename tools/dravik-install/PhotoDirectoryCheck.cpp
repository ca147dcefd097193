#include "PhotoDirectoryCheck.h"

#include "platform/DirectoryEnumeration.h"
#include "platform/PictureLoader.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>

namespace PhotoDirectoryCheck {

namespace {

bool canShow(const QString &path)
{
    try {
        // A tiny decode: enough to know the saver's loader accepts the file, and cheap
        // even for a large photo.
        LoadPicture(path, QSize(8, 8));
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

bool holdsShowablePicture(const QString &recordedDirectory)
{
    // The same listing and loader the saver uses, so a directory passes only if the
    // saver would show a picture from it.
    DirectoryEnumeration listing;
    for (QString name = listing.First(recordedDirectory + QStringLiteral("*.*")); !name.isEmpty();
         name = listing.Next()) {
        if (canShow(recordedDirectory + name))
            return true;
    }
    return false;
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
        if (!holdsShowablePicture(recordedForm(directory)))
            return QStringLiteral("%1 holds no picture the saver can show").arg(directory);
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

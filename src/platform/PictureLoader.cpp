#include "platform/PictureLoader.h"

#include "platform/RuntimeError.h"

#include <QDir>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>

namespace {

QString sourceOf(const QString &path)
{
    return QStringLiteral("LoadPicture(\"%1\")").arg(QDir::toNativeSeparators(path));
}

[[noreturn]] void raiseInvalid(const QString &path, const QString &detail)
{
    throw RuntimeError(RuntimeError::InvalidPicture, sourceOf(path), detail);
}

bool turnsSideways(QImageIOHandler::Transformations transformation)
{
    return transformation.testFlag(QImageIOHandler::TransformationRotate90);
}

} // namespace

QImage LoadPicture(const QString &path, const QSize &shownSize)
{
    const QFileInfo file(path);
    if (!file.isFile())
        throw RuntimeError(RuntimeError::FileNotFound, sourceOf(path));

    QImageReader reader(path);
    reader.setAutoTransform(true);
    // The format is told by the contents, so a photo with a wrong extension still loads.
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        raiseInvalid(path, reader.errorString());

    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > kMaxPicturePixels)
        raiseInvalid(path, QStringLiteral("%1 × %2 pixels").arg(stored.width()).arg(stored.height()));

    if (shownSize.isValid() && !shownSize.isEmpty()) {
        // The reduced decode works on the picture as stored, before it is turned upright.
        reader.setScaledSize(turnsSideways(reader.transformation()) ? shownSize.transposed() : shownSize);
    }

    QImage picture = reader.read();
    if (picture.isNull())
        raiseInvalid(path, reader.errorString());
    return picture;
}

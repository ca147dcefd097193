#include "ImageOutput.h"

#include "IconFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &path, const QString &why)
{
    throw std::runtime_error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why).toStdString());
}

// Writes through a temporary file, so an interrupted run never leaves half a picture behind.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &path) : m_path(path), m_file(path)
    {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            fail(path, QStringLiteral("cannot create its folder"));
        if (!m_file.open(QIODevice::WriteOnly))
            fail(path, m_file.errorString());
    }

    QIODevice *device() { return &m_file; }

    void commit()
    {
        if (!m_file.commit())
            fail(m_path, m_file.errorString());
    }

private:
    QString m_path;
    QSaveFile m_file;
};

void writeWithQt(const QImage &image, const QString &path, const char *format, int quality)
{
    AtomicFile file(path);
    QImageWriter writer(file.device(), format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.setOptimizedWrite(true);
    if (!writer.write(image))
        fail(path, writer.errorString());
    file.commit();
}

QImage readBack(const QString &path, const char *format, QSize expectedSize)
{
    QImageReader reader(path, format);
    const QImage loaded = reader.read();
    if (loaded.isNull())
        fail(path, QStringLiteral("cannot be read back: %1").arg(reader.errorString()));
    if (loaded.size() != expectedSize) {
        fail(path,
             QStringLiteral("reads back as %1 x %2 pixels instead of %3 x %4")
                 .arg(loaded.width())
                 .arg(loaded.height())
                 .arg(expectedSize.width())
                 .arg(expectedSize.height()));
    }
    return loaded;
}

void checkFileSize(const QString &path, qint64 expectedBytes)
{
    const qint64 actual = QFileInfo(path).size();
    if (actual != expectedBytes)
        fail(path, QStringLiteral("is %1 bytes instead of %2").arg(actual).arg(expectedBytes));
}

} // namespace

void writeJpeg(const QImage &image, const QString &path, int quality)
{
    writeWithQt(image.convertToFormat(QImage::Format_RGB32), path, "jpeg", quality);
    readBack(path, "jpeg", image.size());
}

void writePng(const QImage &image, const QString &path)
{
    writeWithQt(image, path, "png", -1);
    readBack(path, "png", image.size());
}

void writeBmp24(const QImage &image, const QString &path)
{
    // Qt writes opaque images as uncompressed 24-bit bitmaps; the size check proves it.
    writeWithQt(image.convertToFormat(QImage::Format_RGB32), path, "bmp", -1);
    const qint64 rowBytes = (qint64{image.width()} * 3 + 3) / 4 * 4;
    checkFileSize(path, 54 + rowBytes * image.height());
    readBack(path, "bmp", image.size());
}

void writeIcon16(const QImage &image, const QString &path)
{
    const QByteArray bytes = encodeIcon16(image);
    AtomicFile file(path);
    if (file.device()->write(bytes) != bytes.size())
        fail(path, file.device()->errorString());
    file.commit();

    // The icon reader must see the same picture: opaque pixels unchanged, the rest clear.
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QImage loaded = readBack(path, "ico", image.size()).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb wanted = source.pixel(x, y);
            const QRgb got = loaded.pixel(x, y);
            const bool same = qAlpha(wanted) < 128 ? qAlpha(got) == 0 : got == (wanted | 0xff000000u);
            if (!same)
                fail(path, QStringLiteral("reads back with a different pixel at (%1, %2)").arg(x).arg(y));
        }
    }
}

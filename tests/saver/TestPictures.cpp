#include "TestPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <array>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace TestPictures {

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    if (!writer.write(image))
        return {};
    return bytes;
}

void appendLittleEndian16(QByteArray &bytes, int value)
{
    bytes.append(char(value & 0xff));
    bytes.append(char((value >> 8) & 0xff));
}

void appendBigEndian32(QByteArray &bytes, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xff));
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// LZW data for a GIF frame of one palette index. Each pair of pixels follows a clear code,
// so the code table never grows past 3-bit codes and no compression logic is needed.
QByteArray lzwSolid(int index, int pixels)
{
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    QList<int> codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            codes << kClear;
        codes << index;
    }
    codes << kEnd;

    QByteArray packed;
    quint32 accumulator = 0;
    int bits = 0;
    for (const int code : codes) {
        accumulator |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.append(char(accumulator & 0xff));
            accumulator >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.append(char(accumulator & 0xff));

    QByteArray blocks;
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        blocks.append(char(block.size()));
        blocks.append(block);
    }
    blocks.append('\0');
    return blocks;
}

} // namespace

QByteArray Solid(const QColor &color, const char *format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encode(image, format);
}

QByteArray SplitJpeg(const QColor &left, const QColor &right, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height(), left);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), right);
    painter.end();
    return encode(image, "jpg");
}

QByteArray SolidGif(const QList<QColor> &frames, QSize size)
{
    Q_ASSERT(frames.size() <= 4);
    QByteArray gif("GIF89a");
    appendLittleEndian16(gif, size.width());
    appendLittleEndian16(gif, size.height());
    gif.append(char(0x91)); // global colour table of 4 entries
    gif.append('\0');       // background index
    gif.append('\0');       // aspect ratio
    for (int i = 0; i < 4; ++i) {
        const QColor color = i < frames.size() ? frames.at(i) : QColor(Qt::black);
        gif.append(char(color.red()));
        gif.append(char(color.green()));
        gif.append(char(color.blue()));
    }
    for (int frame = 0; frame < frames.size(); ++frame) {
        // Graphic control: a tenth of a second per frame.
        gif.append(QByteArray::fromHex("21f904040a000000"));
        gif.append(char(0x2c));
        appendLittleEndian16(gif, 0);
        appendLittleEndian16(gif, 0);
        appendLittleEndian16(gif, size.width());
        appendLittleEndian16(gif, size.height());
        gif.append('\0');
        gif.append(char(2)); // minimum code size
        gif.append(lzwSolid(frame, size.width() * size.height()));
    }
    gif.append(char(0x3b));
    return gif;
}

QByteArray WithExifOrientation(const QByteArray &jpeg, quint16 orientation)
{
    QByteArray tiff = QByteArray::fromHex("49492a0008000000" // little-endian TIFF, IFD at 8
                                          "0100"             // one entry
                                          "12010300"         // Orientation, SHORT
                                          "01000000");       // count 1
    appendLittleEndian16(tiff, orientation);
    tiff.append(QByteArray::fromHex("0000"
                                    "00000000")); // value padding, no next IFD
    const QByteArray payload = QByteArray("Exif", 4) + QByteArray(2, '\0') + tiff;
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment.append(char(((payload.size() + 2) >> 8) & 0xff));
    segment.append(char((payload.size() + 2) & 0xff));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray WithClaimedJpegSize(const QByteArray &jpeg, quint16 width, quint16 height)
{
    QByteArray patched = jpeg;
    for (qsizetype i = 2; i + 8 < patched.size(); ++i) {
        const auto marker = static_cast<quint8>(patched.at(i + 1));
        if (static_cast<quint8>(patched.at(i)) == 0xff && (marker == 0xc0 || marker == 0xc2)) {
            patched[i + 5] = char(height >> 8);
            patched[i + 6] = char(height & 0xff);
            patched[i + 7] = char(width >> 8);
            patched[i + 8] = char(width & 0xff);
            return patched;
        }
    }
    return {};
}

QByteArray PngHeaderClaiming(quint32 width, quint32 height)
{
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a");
    QByteArray header("IHDR");
    appendBigEndian32(header, width);
    appendBigEndian32(header, height);
    header.append(QByteArray::fromHex("0802000000")); // 8-bit RGB, no interlace
    appendBigEndian32(png, 13);
    png.append(header);
    appendBigEndian32(png, crc32(header));
    const QByteArray end("IEND");
    appendBigEndian32(png, 0);
    png.append(end);
    appendBigEndian32(png, crc32(end));
    return png;
}

bool WriteFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

bool WriteFileNamedByBytes(const QByteArray &path, const QByteArray &contents)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    return ::close(fd) == 0 && written;
}

bool IsColour(QRgb pixel, const QColor &expected, int tolerance)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance
        && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

} // namespace TestPictures

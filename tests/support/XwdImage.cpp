#include "XwdImage.h"

#include <QtEndian>

#include <array>
#include <bit>

namespace XwdImage {

namespace {

// The fields of XWDFileHeader, each a 32-bit number, most significant byte first.
enum Field {
    HeaderSize,
    FileVersion,
    PixmapFormat,
    PixmapDepth,
    PixmapWidth,
    PixmapHeight,
    XOffset,
    ByteOrder,
    BitmapUnit,
    BitmapBitOrder,
    BitmapPad,
    BitsPerPixel,
    BytesPerLine,
    VisualClass,
    RedMask,
    GreenMask,
    BlueMask,
    BitsPerRgb,
    ColormapEntries,
    NColors,
    kFieldCount = 25
};

constexpr quint32 kFileVersion = 7;
constexpr quint32 kZPixmap = 2;
constexpr quint32 kTrueColor = 4;
constexpr quint32 kDirectColor = 5;
constexpr quint32 kMsbFirst = 1;
constexpr qsizetype kColourEntrySize = 12;

// One colour channel of a pixel, by its mask, brought to 8 bits.
class Channel
{
public:
    explicit Channel(quint32 mask) : m_mask(mask), m_shift(std::countr_zero(mask)), m_bits(std::popcount(mask)) {}

    bool isValid() const { return m_mask != 0 && m_bits <= 16 && (m_mask >> m_shift) == (1u << m_bits) - 1; }

    int value(quint32 pixel) const
    {
        const quint32 raw = (pixel & m_mask) >> m_shift;
        if (m_bits >= 8)
            return int(raw >> (m_bits - 8));
        return int(raw * 255 / ((1u << m_bits) - 1));
    }

private:
    quint32 m_mask;
    int m_shift;
    int m_bits;
};

QImage failure(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return {};
}

} // namespace

QImage decode(const QByteArray &dump, QString *error)
{
    constexpr qsizetype kHeaderBytes = kFieldCount * 4;
    if (dump.size() < kHeaderBytes)
        return failure(error, QStringLiteral("the dump is shorter than its header (%1 bytes)").arg(dump.size()));
    std::array<quint32, kFieldCount> header{};
    for (int i = 0; i < kFieldCount; ++i)
        header[i] = qFromBigEndian<quint32>(dump.constData() + 4 * i);

    if (header[FileVersion] != kFileVersion)
        return failure(error, QStringLiteral("not an xwd dump of version 7 (version %1)").arg(header[FileVersion]));
    if (header[PixmapFormat] != kZPixmap)
        return failure(error, QStringLiteral("pixmap format %1 is not Z format").arg(header[PixmapFormat]));
    if (header[VisualClass] != kTrueColor && header[VisualClass] != kDirectColor)
        return failure(error, QStringLiteral("visual class %1 has no colour masks").arg(header[VisualClass]));
    const quint32 bitsPerPixel = header[BitsPerPixel];
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return failure(error, QStringLiteral("%1 bits per pixel are not read").arg(bitsPerPixel));
    const Channel red(header[RedMask]), green(header[GreenMask]), blue(header[BlueMask]);
    if (!red.isValid() || !green.isValid() || !blue.isValid())
        return failure(error,
                       QStringLiteral("colour masks %1 %2 %3 are not contiguous")
                           .arg(header[RedMask], 0, 16)
                           .arg(header[GreenMask], 0, 16)
                           .arg(header[BlueMask], 0, 16));

    const quint32 width = header[PixmapWidth];
    const quint32 height = header[PixmapHeight];
    const quint32 bytesPerPixel = bitsPerPixel / 8;
    const quint64 bytesPerLine = header[BytesPerLine];
    if (width == 0 || height == 0 || width > 32767 || height > 32767 || bytesPerLine < quint64(width) * bytesPerPixel)
        return failure(
            error,
            QStringLiteral("implausible size %1 x %2 with %3 bytes a line").arg(width).arg(height).arg(bytesPerLine));
    const quint64 pixelsAt = quint64(header[HeaderSize]) + quint64(header[NColors]) * kColourEntrySize;
    if (pixelsAt + bytesPerLine * height > quint64(dump.size()))
        return failure(error,
                       QStringLiteral("the dump ends before its last line (%1 bytes, %2 needed)")
                           .arg(dump.size())
                           .arg(pixelsAt + bytesPerLine * height));

    const bool msbFirst = header[ByteOrder] == kMsbFirst;
    QImage image(int(width), int(height), QImage::Format_RGB32);
    const auto *data = reinterpret_cast<const uchar *>(dump.constData()) + pixelsAt;
    for (quint32 y = 0; y < height; ++y) {
        const uchar *line = data + y * bytesPerLine;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const uchar *bytes = line + x * bytesPerPixel;
            quint32 pixel = 0;
            for (quint32 b = 0; b < bytesPerPixel; ++b) {
                const quint32 byte = bytes[msbFirst ? b : bytesPerPixel - 1 - b];
                pixel = (pixel << 8) | byte;
            }
            out[x] = qRgb(red.value(pixel), green.value(pixel), blue.value(pixel));
        }
    }
    return image;
}

} // namespace XwdImage

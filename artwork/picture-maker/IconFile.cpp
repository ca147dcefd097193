#include "IconFile.h"

#include "IconPalette.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

constexpr int kSide = 32;
constexpr quint32 kBitmapHeaderBytes = 40;
constexpr quint32 kPaletteBytes = 16 * 4;
constexpr quint32 kColourRowBytes = kSide / 2; // two pixels a byte; already a multiple of four
constexpr quint32 kMaskRowBytes = 4;           // one bit a pixel, padded to a 32-bit word
constexpr quint32 kImageBytes = kBitmapHeaderBytes + kPaletteBytes + (kColourRowBytes + kMaskRowBytes) * kSide;
constexpr quint32 kDirectoryBytes = 6 + 16;

bool isTransparent(QRgb pixel)
{
    return qAlpha(pixel) < 128;
}

quint32 paletteIndex(QRgb pixel, int x, int y)
{
    if (isTransparent(pixel)) {
        return 0; // a masked pixel must be black in the colour rows so it stays see-through
    }
    const QRgb opaque = pixel | 0xff000000u;
    const auto found = std::find(kIconPalette.begin(), kIconPalette.end(), opaque);
    if (found == kIconPalette.end()) {
        throw std::invalid_argument("icon pixel (" + std::to_string(x) + ", " + std::to_string(y)
                                    + ") is not one of the 16 palette colours");
    }
    return static_cast<quint32>(found - kIconPalette.begin());
}

} // namespace

QByteArray encodeIcon16(const QImage &source)
{
    if (source.size() != QSize(kSide, kSide))
        throw std::invalid_argument("an icon image must be 32 x 32 pixels");
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);

    // Icon directory: reserved, type 1 (icon), one image.
    out << quint16(0) << quint16(1) << quint16(1);
    // Directory entry: width, height, colour count, reserved, planes, bits per pixel, size, offset.
    out << quint8(kSide) << quint8(kSide) << quint8(16) << quint8(0) << quint16(1) << quint16(4) << kImageBytes
        << kDirectoryBytes;

    // Bitmap header; its height counts the colour rows and the mask rows together.
    out << kBitmapHeaderBytes << qint32(kSide) << qint32(2 * kSide) << quint16(1) << quint16(4) << quint32(0)
        << (kColourRowBytes + kMaskRowBytes) * kSide << qint32(0) << qint32(0) << quint32(16) << quint32(0);

    for (const QRgb colour : kIconPalette)
        out << quint8(qBlue(colour)) << quint8(qGreen(colour)) << quint8(qRed(colour)) << quint8(0);

    // Rows are stored bottom-up.
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; x += 2) {
            const quint32 high = paletteIndex(image.pixel(x, y), x, y);
            const quint32 low = paletteIndex(image.pixel(x + 1, y), x + 1, y);
            out << quint8((high << 4) | low);
        }
    }
    for (int y = kSide - 1; y >= 0; --y) {
        for (int byte = 0; byte < kSide / 8; ++byte) {
            quint32 bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (isTransparent(image.pixel(byte * 8 + bit, y)))
                    bits |= 0x80u >> bit;
            }
            out << quint8(bits);
        }
    }
    return bytes;
}

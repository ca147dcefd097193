#include "TestPictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace TestPictures {

namespace {

QByteArray encode(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    if (progressive) {
        writer.setProgressiveScanWrite(true);
        writer.setOptimizedWrite(true);
    }
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

// LZW data for a GIF frame, each pixel's palette index (0 to 3) as indexOf gives it. Each pair
// of pixels follows a clear code, so the code table never grows past 3-bit codes and no
// compression logic is needed.
QByteArray lzwUncompressed(const std::function<int(int pixel)> &indexOf, int pixels)
{
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    QList<int> codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            codes << kClear;
        codes << indexOf(i);
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

void appendBigEndian16(QByteArray &bytes, int value)
{
    bytes.append(char((value >> 8) & 0xff));
    bytes.append(char(value & 0xff));
}

QByteArray jpegSegment(quint8 marker, const QByteArray &payload)
{
    QByteArray segment;
    segment.append(char(0xff));
    segment.append(char(marker));
    appendBigEndian16(segment, int(payload.size()) + 2);
    return segment + payload;
}

// Entropy-coded data, most significant bit first, with the 0x00 stuffed after each 0xFF.
class BitWriter
{
public:
    explicit BitWriter(QByteArray &out) : m_out(out) {}

    void put(quint32 bits, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            m_byte = quint8((m_byte << 1) | ((bits >> i) & 1u));
            if (++m_count == 8)
                emitByte();
        }
    }
    // Pads the last byte with 1-bits, as a scan ends.
    void flush()
    {
        while (m_count != 0)
            put(1, 1);
    }

private:
    void emitByte()
    {
        m_out.append(char(m_byte));
        if (m_byte == 0xff)
            m_out.append('\0');
        m_byte = 0;
        m_count = 0;
    }

    QByteArray &m_out;
    quint8 m_byte = 0;
    int m_count = 0;
};

// The DC table of the standard's example tables: categories 0 to 11.
constexpr std::array<quint8, 16> kDcCodeCounts{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};

struct HuffmanCode
{
    quint32 bits;
    int length;
};

// The canonical codes of a table whose symbols are 0, 1, 2, ... in order.
QList<HuffmanCode> canonicalCodes(const std::array<quint8, 16> &counts)
{
    QList<HuffmanCode> codes;
    quint32 code = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < counts[size_t(length - 1)]; ++i)
            codes.append({code++, length});
        code <<= 1;
    }
    return codes;
}

QByteArray huffmanTables()
{
    QByteArray dc(1, char(0x00)); // class DC, table 0
    for (const quint8 count : kDcCodeCounts)
        dc.append(char(count));
    for (int symbol = 0; symbol < 12; ++symbol)
        dc.append(char(symbol));
    // The AC table needs one symbol only: 0x00, the end of a block (in a progressive AC
    // scan, the end of a run of one block), as the one-bit code 0.
    QByteArray ac(1, char(0x10));
    ac.append(char(1));
    ac.append(QByteArray(15, '\0'));
    ac.append('\0');
    return jpegSegment(0xc4, dc) + jpegSegment(0xc4, ac);
}

struct Plane
{
    int h;
    int v;
    int dc; // the quantised DC coefficient of every block
};

class ScanWriter
{
public:
    ScanWriter(QByteArray &out) : m_bits(out), m_dcCodes(canonicalCodes(kDcCodeCounts)) {}

    void block(int &predictor, int dc, bool withDc, bool withAc)
    {
        if (withDc) {
            const int difference = dc - predictor;
            predictor = dc;
            const int magnitude = std::abs(difference);
            int category = 0;
            while ((magnitude >> category) != 0)
                ++category;
            m_bits.put(m_dcCodes.at(category).bits, m_dcCodes.at(category).length);
            const int extra = difference < 0 ? difference - 1 : difference;
            m_bits.put(quint32(extra) & ((1u << category) - 1u), category);
        }
        if (withAc)
            m_bits.put(0, 1);
    }
    void end() { m_bits.flush(); }

private:
    BitWriter m_bits;
    QList<HuffmanCode> m_dcCodes;
};

int ceilDiv(int value, int divisor)
{
    return (value + divisor - 1) / divisor;
}

QByteArray scanHeader(const QList<int> &components, int spectralStart, int spectralEnd)
{
    QByteArray header(1, char(components.size()));
    for (const int component : components) {
        header.append(char(component + 1));
        header.append('\0'); // DC table 0, AC table 0
    }
    header.append(char(spectralStart));
    header.append(char(spectralEnd));
    header.append('\0'); // no successive approximation
    return jpegSegment(0xda, header);
}

// A scan of all components, MCU by MCU.
QByteArray interleavedScan(const QList<Plane> &planes, QSize size, bool withAc)
{
    int hMax = 1;
    int vMax = 1;
    for (const Plane &plane : planes) {
        hMax = std::max(hMax, plane.h);
        vMax = std::max(vMax, plane.v);
    }
    QByteArray data;
    ScanWriter writer(data);
    QList<int> predictors(planes.size(), 0);
    const int mcus = ceilDiv(size.width(), 8 * hMax) * ceilDiv(size.height(), 8 * vMax);
    for (int mcu = 0; mcu < mcus; ++mcu) {
        for (qsizetype c = 0; c < planes.size(); ++c) {
            for (int b = 0; b < planes[c].h * planes[c].v; ++b)
                writer.block(predictors[c], planes[c].dc, true, withAc);
        }
    }
    writer.end();
    QList<int> all;
    for (qsizetype c = 0; c < planes.size(); ++c)
        all << int(c);
    return scanHeader(all, 0, withAc ? 63 : 0) + data;
}

// A scan of one component, block by block over the component's own size.
QByteArray componentScan(const QList<Plane> &planes, int component, QSize size, int spectralStart, int spectralEnd)
{
    int hMax = 1;
    int vMax = 1;
    for (const Plane &plane : planes) {
        hMax = std::max(hMax, plane.h);
        vMax = std::max(vMax, plane.v);
    }
    const Plane &plane = planes[component];
    const int columns = ceilDiv(ceilDiv(size.width() * plane.h, hMax), 8);
    const int rows = ceilDiv(ceilDiv(size.height() * plane.v, vMax), 8);
    QByteArray data;
    ScanWriter writer(data);
    int predictor = 0;
    for (int block = 0; block < columns * rows; ++block)
        writer.block(predictor, plane.dc, spectralStart == 0, spectralEnd > 0);
    writer.end();
    return scanHeader({component}, spectralStart, spectralEnd) + data;
}

int clampedSample(double value)
{
    return std::clamp(int(std::lround(value)), 0, 255);
}

} // namespace

QByteArray Solid(const QColor &color, const char *format, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encode(image, format);
}

QByteArray ProgressiveJpeg(const QColor &color, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encode(image, "jpg", true);
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

QByteArray HandMadeJpeg(const QColor &color, QSize size, JpegScans scans, const QList<QSize> &sampling)
{
    const double r = color.red();
    const double g = color.green();
    const double b = color.blue();
    // JFIF's colour conversion; with every quantiser 8, a block's DC coefficient is its
    // sample minus 128.
    const std::array<int, 3> samples{clampedSample(0.299 * r + 0.587 * g + 0.114 * b),
                                     clampedSample(128 - 0.168736 * r - 0.331264 * g + 0.5 * b),
                                     clampedSample(128 + 0.5 * r - 0.418688 * g - 0.081312 * b)};
    QList<Plane> planes;
    for (int c = 0; c < 3; ++c)
        planes.append({sampling.at(c).width(), sampling.at(c).height(), samples[size_t(c)] - 128});

    QByteArray jpeg = QByteArray::fromHex("ffd8");
    jpeg += jpegSegment(0xe0, QByteArray::fromHex("4a46494600010100000100010000")); // JFIF 1.1
    jpeg += jpegSegment(0xdb, QByteArray(1, '\0') + QByteArray(64, char(8)));
    QByteArray frame(1, char(8)); // 8-bit samples
    appendBigEndian16(frame, size.height());
    appendBigEndian16(frame, size.width());
    frame.append(char(3));
    for (int c = 0; c < 3; ++c) {
        frame.append(char(c + 1));
        frame.append(char((planes[c].h << 4) | planes[c].v));
        frame.append('\0'); // quantisation table 0
    }
    jpeg += jpegSegment(scans == JpegScans::Progressive ? 0xc2 : 0xc0, frame);
    jpeg += huffmanTables();
    switch (scans) {
    case JpegScans::Sequential:
        jpeg += interleavedScan(planes, size, true);
        break;
    case JpegScans::SequentialComponentByComponent:
        for (int c = 0; c < 3; ++c)
            jpeg += componentScan(planes, c, size, 0, 63);
        break;
    case JpegScans::Progressive:
        jpeg += interleavedScan(planes, size, false);
        for (int c = 0; c < 3; ++c)
            jpeg += componentScan(planes, c, size, 1, 63);
        break;
    }
    jpeg += QByteArray::fromHex("ffd9");
    return jpeg;
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
        gif.append(lzwUncompressed([frame](int) { return frame; }, size.width() * size.height()));
    }
    gif.append(char(0x3b));
    return gif;
}

QByteArray HalfTransparent(const QColor &left, const char *format, QSize size)
{
    const int half = size.width() / 2;
    if (qstrcmp(format, "gif") != 0) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(0, 0, half, size.height(), left);
        painter.end();
        return encode(image, format);
    }
    QByteArray gif("GIF89a");
    appendLittleEndian16(gif, size.width());
    appendLittleEndian16(gif, size.height());
    gif.append(QByteArray::fromHex("910000")); // global colour table of 4 entries
    gif.append(char(left.red()));
    gif.append(char(left.green()));
    gif.append(char(left.blue()));
    gif.append(QByteArray(9, '\0'));
    gif.append(QByteArray::fromHex("21f90401000001" // graphic control: index 1 is transparent
                                   "00"
                                   "2c00000000"));
    appendLittleEndian16(gif, size.width());
    appendLittleEndian16(gif, size.height());
    gif.append(QByteArray::fromHex("0002")); // no local colour table; minimum code size
    gif.append(
        lzwUncompressed([&](int pixel) { return pixel % size.width() < half ? 0 : 1; }, size.width() * size.height()));
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

QByteArray MngClaiming(quint32 width, quint32 height)
{
    const auto chunk = [](const char *type, const QByteArray &data) {
        QByteArray bytes;
        appendBigEndian32(bytes, quint32(data.size()));
        const QByteArray typed = QByteArray(type) + data;
        bytes.append(typed);
        appendBigEndian32(bytes, crc32(typed));
        return bytes;
    };
    QByteArray frame;
    appendBigEndian32(frame, width);
    appendBigEndian32(frame, height);
    // Ticks per second, layer count, frame count, play time, simplicity profile (valid, nothing else).
    for (const quint32 field : {1u, 0u, 1u, 0u, 1u})
        appendBigEndian32(frame, field);
    QByteArray header;
    appendBigEndian32(header, 1);
    appendBigEndian32(header, 1);
    header.append(QByteArray::fromHex("0800000000")); // 8-bit grey, no interlace
    // One row: filter type 0, grey 0x80; qCompress puts the length in front of a zlib stream.
    const QByteArray pixels = qCompress(QByteArray::fromHex("0080")).mid(4);
    return QByteArray::fromHex("8a4d4e470d0a1a0a") + chunk("MHDR", frame) + chunk("IHDR", header)
        + chunk("IDAT", pixels) + chunk("IEND", {}) + chunk("MEND", {});
}

} // namespace TestPictures

#include "platform/pictures/JpegStructure.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uchar kMarkerPrefix = 0xff;
constexpr uchar kEndOfImage = 0xd9;
constexpr uchar kStartOfScan = 0xda;
constexpr uchar kComment = 0xfe;
constexpr uchar kApp1 = 0xe1;
constexpr uchar kApp2 = 0xe2;
constexpr qint64 kBufferSize = 64 * 1024;
constexpr qint64 kBytesPerBlock = 64 * 2;

// The device read forwards through a buffer; large segments are skipped by seeking.
class MarkerReader
{
public:
    explicit MarkerReader(QIODevice &device) : m_device(device) {}

    bool next(uchar &byte)
    {
        if (m_at == m_buffer.size() && !fill())
            return false;
        byte = static_cast<uchar>(m_buffer[m_at++]);
        return true;
    }

    // Moves up to the next 0xFF: the entropy-coded data holds no other kind of marker.
    bool skipToPrefix()
    {
        for (;;) {
            const char *start = m_buffer.constData() + m_at;
            const void *found = std::memchr(start, kMarkerPrefix, size_t(m_buffer.size() - m_at));
            if (found) {
                m_at += static_cast<const char *>(found) - start;
                return true;
            }
            if (!fill())
                return false;
        }
    }

    void skip(qint64 count)
    {
        const qint64 inBuffer = std::min<qint64>(count, m_buffer.size() - m_at);
        m_at += inBuffer;
        count -= inBuffer;
        if (count == 0)
            return;
        if (!m_device.isSequential()) {
            m_device.seek(std::min(m_device.pos() + count, m_device.size()));
            return;
        }
        while (count > 0 && fill()) {
            const qint64 step = std::min<qint64>(count, m_buffer.size());
            m_at = step;
            count -= step;
        }
    }

    QByteArray read(qint64 count)
    {
        QByteArray bytes;
        uchar byte = 0;
        while (bytes.size() < count && next(byte))
            bytes.append(static_cast<char>(byte));
        return bytes;
    }

private:
    bool fill()
    {
        m_buffer = m_device.read(kBufferSize);
        m_at = 0;
        return !m_buffer.isEmpty();
    }

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_at = 0;
};

bool isFrameHeader(uchar marker)
{
    // 0xc4, 0xc8 and 0xcc share the range but are DHT, JPG and DAC.
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

bool isProgressiveFrame(uchar marker)
{
    return marker == 0xc2 || marker == 0xc6 || marker == 0xca || marker == 0xce;
}

// Markers without a length: TEM, RST0..RST7, SOI and EOI; 0x00 is a stuffed data byte.
bool standsAlone(uchar marker)
{
    return marker == 0x00 || marker == 0x01 || (marker >= 0xd0 && marker <= kEndOfImage);
}

int bigEndian16(const QByteArray &bytes, qsizetype at)
{
    return (static_cast<uchar>(bytes[at]) << 8) | static_cast<uchar>(bytes[at + 1]);
}

void readFrame(const QByteArray &header, uchar marker, JpegStructure &jpeg)
{
    constexpr qsizetype kFixedPart = 6;
    if (header.size() < kFixedPart)
        return;
    const int count = static_cast<uchar>(header[5]);
    if (header.size() < kFixedPart + 3 * count)
        return;
    jpeg.size = QSize(bigEndian16(header, 3), bigEndian16(header, 1));
    jpeg.progressive = isProgressiveFrame(marker);
    for (int i = 0; i < count; ++i) {
        const auto sampling = static_cast<uchar>(header[kFixedPart + 3 * i + 1]);
        jpeg.components.append({sampling >> 4, sampling & 0x0f});
    }
}

// Reads or skips the segment after its marker and length.
void readSegment(MarkerReader &reader, uchar marker, qint64 length, JpegStructure &jpeg)
{
    if (isFrameHeader(marker) && jpeg.components.isEmpty()) {
        readFrame(reader.read(length), marker, jpeg);
    } else if (marker == kStartOfScan && jpeg.firstScanComponents == 0 && length > 0) {
        const QByteArray count = reader.read(1);
        jpeg.firstScanComponents = count.isEmpty() ? 0 : static_cast<uchar>(count[0]);
        reader.skip(length - 1);
    } else {
        if (marker == kComment || marker == kApp1 || marker == kApp2) {
            jpeg.keptSegmentBytes += length;
            ++jpeg.keptSegments;
        }
        reader.skip(length);
    }
}

int ceilDivide(qint64 value, qint64 divisor)
{
    return int((value + divisor - 1) / divisor);
}

} // namespace

bool isJpeg(QIODevice &device)
{
    // As the decoder tells one: it skips whatever stands between SOI and the next marker.
    return device.peek(2) == QByteArrayView("\xff\xd8");
}

std::optional<JpegStructure> readJpegStructure(QIODevice &device)
{
    if (!isJpeg(device))
        return std::nullopt;
    MarkerReader reader(device);
    reader.skip(2);
    JpegStructure jpeg;
    uchar marker = 0;
    while (reader.skipToPrefix()) {
        // Any number of 0xFF may stand before a marker.
        do {
            if (!reader.next(marker))
                return jpeg;
        } while (marker == kMarkerPrefix);
        if (marker == kEndOfImage)
            break;
        if (standsAlone(marker))
            continue;
        const QByteArray length = reader.read(2);
        if (length.size() < 2 || bigEndian16(length, 0) < 2)
            break;
        readSegment(reader, marker, bigEndian16(length, 0) - 2, jpeg);
    }
    return jpeg;
}

bool holdsWholeImageCoefficients(const JpegStructure &jpeg)
{
    if (jpeg.progressive)
        return true;
    return jpeg.firstScanComponents > 0 && jpeg.firstScanComponents < jpeg.components.size();
}

qint64 wholeImageCoefficientBytes(const JpegStructure &jpeg)
{
    if (!holdsWholeImageCoefficients(jpeg))
        return 0;
    int horizontalMax = 1;
    int verticalMax = 1;
    for (const JpegStructure::Component &component : jpeg.components) {
        horizontalMax = std::max(horizontalMax, component.horizontal);
        verticalMax = std::max(verticalMax, component.vertical);
    }
    qint64 bytes = 0;
    for (const JpegStructure::Component &component : jpeg.components) {
        const int horizontal = std::max(1, component.horizontal);
        const int vertical = std::max(1, component.vertical);
        const int columns = ceilDivide(qint64(jpeg.size.width()) * horizontal, qint64(horizontalMax) * 8);
        const int rows = ceilDivide(qint64(jpeg.size.height()) * vertical, qint64(verticalMax) * 8);
        const qint64 paddedColumns = ceilDivide(columns, horizontal) * qint64(horizontal);
        const qint64 paddedRows = ceilDivide(rows, vertical) * qint64(vertical);
        bytes += paddedColumns * paddedRows * kBytesPerBlock;
    }
    return bytes;
}

#include "ScanBomb.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QList>

#include <algorithm>
#include <optional>

namespace ScanBomb {

namespace {

constexpr uchar kPrefix = 0xff;
constexpr uchar kProgressiveFrame = 0xc2;
constexpr uchar kHuffmanTables = 0xc4;
constexpr uchar kEndOfImage = 0xd9;
constexpr uchar kStartOfScan = 0xda;

// One marker segment of the file, from its 0xFF to the next marker; a scan's segment takes
// in its entropy-coded data.
struct Segment
{
    uchar marker;
    qsizetype begin;
    qsizetype end;
};

uchar byteAt(const QByteArray &bytes, qsizetype at)
{
    return static_cast<uchar>(bytes[at]);
}

// Past the entropy-coded data that starts at `at`: up to a marker other than a stuffed 0x00
// or a restart marker.
qsizetype endOfScanData(const QByteArray &jpeg, qsizetype at)
{
    for (at = jpeg.indexOf(char(kPrefix), at); at >= 0 && at + 1 < jpeg.size();
         at = jpeg.indexOf(char(kPrefix), at + 1)) {
        const uchar next = byteAt(jpeg, at + 1);
        if (next != 0x00 && (next < 0xd0 || next > 0xd7))
            return at;
    }
    return -1;
}

// The segments after SOI up to and with EOI; empty when the file is not laid out so.
QList<Segment> segmentsOf(const QByteArray &jpeg)
{
    QList<Segment> segments;
    qsizetype at = 2;
    while (at + 1 < jpeg.size() && byteAt(jpeg, at) == kPrefix) {
        const uchar marker = byteAt(jpeg, at + 1);
        if (marker == kEndOfImage) {
            segments.append({marker, at, at + 2});
            return segments;
        }
        if (at + 3 >= jpeg.size())
            break;
        qsizetype end = at + 2 + ((byteAt(jpeg, at + 2) << 8) | byteAt(jpeg, at + 3));
        if (marker == kStartOfScan)
            end = endOfScanData(jpeg, end);
        if (end < 0 || end > jpeg.size())
            break;
        segments.append({marker, at, end});
        at = end;
    }
    return {};
}

// The scan header's first coefficient (Ss): after the component count and two bytes a component.
int spectralStart(const QByteArray &jpeg, const Segment &scan)
{
    const qsizetype components = byteAt(jpeg, scan.begin + 4);
    return byteAt(jpeg, scan.begin + 5 + 2 * components);
}

std::optional<qsizetype> indexOfFirstAcScan(const QByteArray &jpeg, const QList<Segment> &segments)
{
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (segments[i].marker == kStartOfScan && spectralStart(jpeg, segments[i]) > 0)
            return i;
    }
    return std::nullopt;
}

// Grey: 48 MB at 8000 × 6000 while it is written, a quarter of what 32-bit pixels take.
QByteArray progressiveGrey(QSize size)
{
    QImage picture(size, QImage::Format_Grayscale8);
    picture.fill(QColor(kGrey, kGrey, kGrey));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(picture)) {
        qWarning("ScanBomb: Qt's JPEG writer failed: %s", qPrintable(writer.errorString()));
        return {};
    }
    return bytes;
}

} // namespace

QByteArray Jpeg(int repetitions, QSize size)
{
    const QByteArray written = progressiveGrey(size);
    const QList<Segment> segments = segmentsOf(written);
    const bool progressive = std::any_of(segments.cbegin(), segments.cend(),
                                         [](const Segment &segment) { return segment.marker == kProgressiveFrame; });
    const std::optional<qsizetype> acScan = indexOfFirstAcScan(written, segments);
    if (!progressive || !acScan) {
        qWarning("ScanBomb: Qt's writer made no progressive JPEG with an AC scan");
        return {};
    }

    // The scan with the Huffman tables it is coded by, when they come just before it.
    const Segment &scan = segments[*acScan];
    const bool tablesAhead = *acScan > 0 && segments[*acScan - 1].marker == kHuffmanTables;
    const qsizetype begin = tablesAhead ? segments[*acScan - 1].begin : scan.begin;
    const QByteArray repeated = written.mid(begin, scan.end - begin);

    // The copies follow the scan itself, so the passes after it still refine what it coded and
    // the picture comes out as written.
    QByteArray bomb;
    bomb.reserve(written.size() + repeated.size() * repetitions);
    bomb.append(written.left(scan.end));
    for (int i = 0; i < repetitions; ++i)
        bomb.append(repeated);
    bomb.append(written.mid(scan.end));
    return bomb;
}

} // namespace ScanBomb

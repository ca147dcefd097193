#include "ScanBomb.h"
#include "platform/pictures/JpegStructure.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

int bigEndian16(const QByteArray &bytes, qsizetype at)
{
    return (static_cast<uchar>(bytes[at]) << 8) | static_cast<uchar>(bytes[at + 1]);
}

// What walking a file's segments, and the entropy-coded data after each scan header,
// finds in order: the segments' markers and the scan headers.
struct Walk
{
    QList<uchar> markers;
    QList<QByteArray> scans;
};

// Empty unless the walk ends at an EOI that closes the file.
std::optional<Walk> walk(const QByteArray &jpeg)
{
    Walk found;
    qsizetype at = 2;
    while (at + 3 < jpeg.size() && static_cast<uchar>(jpeg[at]) == 0xff) {
        const auto marker = static_cast<uchar>(jpeg[at + 1]);
        found.markers.append(marker);
        const int length = bigEndian16(jpeg, at + 2);
        at += 2 + length;
        if (marker != 0xda)
            continue;
        found.scans.append(jpeg.mid(at - length + 2, length - 2));
        // Within the data, 0xFF stands only before a stuffed 0x00 or a restart marker.
        while (at + 1 < jpeg.size()
               && (static_cast<uchar>(jpeg[at]) != 0xff || static_cast<uchar>(jpeg[at + 1]) == 0x00
                   || (static_cast<uchar>(jpeg[at + 1]) & 0xf8) == 0xd0))
            ++at;
    }
    if (at + 2 != jpeg.size() || jpeg.mid(at) != QByteArrayView("\xff\xd9"))
        return std::nullopt;
    return found;
}

int spectralStart(const QByteArray &scanHeader)
{
    return static_cast<uchar>(scanHeader[1 + 2 * static_cast<uchar>(scanHeader[0])]);
}

// A grey picture as Qt's progressive writer codes it, whatever its size.
QByteArray writtenByQt()
{
    QImage picture(QSize(16, 8), QImage::Format_Grayscale8);
    picture.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    return writer.write(picture) ? bytes : QByteArray();
}

std::optional<JpegStructure> structureOf(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readJpegStructure(buffer);
}

QImage decoded(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpg").read();
}

} // namespace

class TestScanBomb : public QObject
{
    Q_OBJECT

private slots:
    void firstAcScanIsRepeated_data();
    void firstAcScanIsRepeated();
    void decodesToTheGreyAsWritten();
};

void TestScanBomb::firstAcScanIsRepeated_data()
{
    QTest::addColumn<QByteArray>("bomb");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("repetitions");
    QTest::newRow("none") << ScanBomb::Jpeg(0, QSize(64, 48)) << QSize(64, 48) << 0;
    QTest::newRow("one") << ScanBomb::Jpeg(1, QSize(64, 48)) << QSize(64, 48) << 1;
    QTest::newRow("many") << ScanBomb::Jpeg(1000, QSize(64, 48)) << QSize(64, 48) << 1000;
    QTest::newRow("odd size") << ScanBomb::Jpeg(3, QSize(61, 37)) << QSize(61, 37) << 3;
    QTest::newRow("default") << ScanBomb::Jpeg() << ScanBomb::kSize << ScanBomb::kDefaultRepetitions;
}

void TestScanBomb::firstAcScanIsRepeated()
{
    QFETCH(QByteArray, bomb);
    QFETCH(QSize, size);
    QFETCH(int, repetitions);
    QVERIFY(!bomb.isEmpty());

    const std::optional<JpegStructure> structure = structureOf(bomb);
    QVERIFY(structure);
    QVERIFY(structure->progressive);
    QCOMPARE(structure->size, size);
    QCOMPARE(structure->components.size(), 1);

    // Qt's writer as it is, to compare with: the same scans in the same order, the first
    // AC scan coded again right after itself.
    const std::optional<Walk> asWritten = walk(writtenByQt());
    QVERIFY(asWritten);
    const QList<QByteArray> &written = asWritten->scans;
    const auto firstAc = std::find_if(written.cbegin(), written.cend(),
                                      [](const QByteArray &header) { return spectralStart(header) > 0; });
    QVERIFY(firstAc != written.cend());
    QList<QByteArray> expected(written.cbegin(), firstAc + 1);
    expected.append(QList<QByteArray>(repetitions, *firstAc));
    expected.append(QList<QByteArray>(firstAc + 1, written.cend()));

    const std::optional<Walk> walked = walk(bomb);
    QVERIFY(walked);
    QCOMPARE(walked->markers.count(0xc2), 1); // SOF2: progressive, Huffman-coded
    QCOMPARE(walked->scans.size(), expected.size());
    QCOMPARE(walked->scans, expected);

    // Reading the header alone, as a loader does before it decodes.
    QBuffer buffer(&bomb);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), size);
}

// The decoder takes every repetition: a small bomb decodes whole, to the picture as written,
// so the slow decode of the large one is slow and not a quick failure.
void TestScanBomb::decodesToTheGreyAsWritten()
{
    const QSize size(96, 64);
    const QImage bomb = decoded(ScanBomb::Jpeg(300, size));
    QVERIFY(!bomb.isNull());
    QCOMPARE(bomb.size(), size);
    QCOMPARE(bomb, decoded(ScanBomb::Jpeg(0, size)));
    for (int y = 0; y < bomb.height(); ++y) {
        for (int x = 0; x < bomb.width(); ++x)
            QVERIFY2(qAbs(qGray(bomb.pixel(x, y)) - ScanBomb::kGrey) <= 2,
                     qPrintable(QStringLiteral("at %1, %2").arg(x).arg(y)));
    }
}

QTEST_GUILESS_MAIN(TestScanBomb)
#include "tst_scan_bomb.moc"

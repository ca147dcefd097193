#include "TestPictures.h"
#include "platform/pictures/JpegStructure.h"

#include <QBuffer>
#include <QTest>

using namespace TestPictures;

namespace {

using Sampling = QList<QSize>;

const Sampling k444{QSize(1, 1), QSize(1, 1), QSize(1, 1)};
const Sampling k420{QSize(2, 2), QSize(1, 1), QSize(1, 1)};

std::optional<JpegStructure> structureOf(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readJpegStructure(buffer);
}

Sampling samplingOf(const JpegStructure &jpeg)
{
    Sampling sampling;
    for (const JpegStructure::Component &component : jpeg.components)
        sampling << QSize(component.horizontal, component.vertical);
    return sampling;
}

QByteArray segment(quint8 marker, const QByteArray &payload)
{
    QByteArray bytes;
    bytes.append(char(0xff));
    bytes.append(char(marker));
    bytes.append(char((payload.size() + 2) >> 8));
    bytes.append(char((payload.size() + 2) & 0xff));
    return bytes + payload;
}

// The bytes with the segments put in before the nth scan header (0 for the first; a count
// of scans for just before the end of the image).
QByteArray withSegmentsBeforeScan(const QByteArray &jpeg, int scan, const QByteArray &segments)
{
    qsizetype at = jpeg.size() - 2;
    for (qsizetype found = jpeg.indexOf("\xff\xda"), n = 0; found >= 0; found = jpeg.indexOf("\xff\xda", found + 2)) {
        if (n++ == scan) {
            at = found;
            break;
        }
    }
    return jpeg.left(at) + segments + jpeg.mid(at);
}

JpegStructure frame(QSize size, const Sampling &sampling, bool progressive, int firstScanComponents)
{
    JpegStructure jpeg;
    jpeg.size = size;
    for (const QSize &factors : sampling)
        jpeg.components.append({factors.width(), factors.height()});
    jpeg.progressive = progressive;
    jpeg.firstScanComponents = firstScanComponents;
    return jpeg;
}

} // namespace

class TestJpegStructure : public QObject
{
    Q_OBJECT

private slots:
    void frameAndScans_data();
    void frameAndScans();
    void keptSegmentsAnywhereBeforeTheEnd();
    void markersInsideScanData();
    void damagedFiles_data();
    void damagedFiles();
    void emptyScanHeader();
    void coefficientBytes_data();
    void coefficientBytes();
};

void TestJpegStructure::frameAndScans_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Sampling>("sampling");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<int>("firstScanComponents");
    QTest::addColumn<bool>("holdsWholeImage");

    // What Qt's writer makes: always 4:2:0, whatever the quality.
    QTest::newRow("Qt, baseline") << Solid(Qt::gray, "jpg", QSize(70, 30)) << QSize(70, 30) << k420 << false << 3
                                  << false;
    QTest::newRow("Qt, progressive") << ProgressiveJpeg(Qt::gray, QSize(70, 30)) << QSize(70, 30) << k420 << true << 3
                                     << true;
    const QColor grey(128, 128, 128);
    QTest::newRow("sequential 4:4:4") << HandMadeJpeg(grey, QSize(40, 8), JpegScans::Sequential) << QSize(40, 8) << k444
                                      << false << 3 << false;
    QTest::newRow("component by component")
        << HandMadeJpeg(grey, QSize(40, 8), JpegScans::SequentialComponentByComponent) << QSize(40, 8) << k444 << false
        << 1 << true;
    QTest::newRow("progressive 4:4:4") << HandMadeJpeg(grey, QSize(40, 8), JpegScans::Progressive) << QSize(40, 8)
                                       << k444 << true << 3 << true;
    // Segments and an Exif block before the frame are skipped, not read as markers.
    QTest::newRow("Exif before the frame")
        << WithExifOrientation(HandMadeJpeg(grey, QSize(9, 7), JpegScans::Progressive, k420), 6) << QSize(9, 7) << k420
        << true << 3 << true;
}

void TestJpegStructure::frameAndScans()
{
    QFETCH(QByteArray, bytes);
    const std::optional<JpegStructure> jpeg = structureOf(bytes);
    QVERIFY(jpeg);
    QTEST(jpeg->size, "size");
    QTEST(samplingOf(*jpeg), "sampling");
    QTEST(jpeg->progressive, "progressive");
    QTEST(jpeg->firstScanComponents, "firstScanComponents");
    QTEST(holdsWholeImageCoefficients(*jpeg), "holdsWholeImage");
}

// The decoder keeps comments, APP1 and APP2 wherever they stand before the end of the image,
// between the scans of a progressive file too; other segments it skips.
void TestJpegStructure::keptSegmentsAnywhereBeforeTheEnd()
{
    const QByteArray comment = segment(0xfe, QByteArray(1000, 'c'));
    // Bytes that look like markers inside a segment are its data.
    const QByteArray exif = segment(0xe1, QByteArray("Exif\0\0\xff\xfe\x00\x10", 10) + QByteArray(90, 'e'));
    const QByteArray icc = segment(0xe2, QByteArray(300, 'i'));
    const QByteArray other = segment(0xe3, QByteArray(5000, 'o'));

    QByteArray jpeg = HandMadeJpeg(Qt::gray, QSize(64, 64), JpegScans::Progressive);
    jpeg = withSegmentsBeforeScan(jpeg, 4, comment + other); // after the last scan
    jpeg = withSegmentsBeforeScan(jpeg, 2, icc + comment);   // between AC scans
    jpeg = withSegmentsBeforeScan(jpeg, 0, exif + other);    // before the first scan
    jpeg = jpeg.left(2) + comment + jpeg.mid(2);             // before the frame
    jpeg += comment;                                         // after the end: never read

    const std::optional<JpegStructure> structure = structureOf(jpeg);
    QVERIFY(structure);
    QCOMPARE(structure->keptSegments, 5);
    QCOMPARE(structure->keptSegmentBytes, 3 * 1000 + 100 + 300);
    QCOMPARE(structure->size, QSize(64, 64));
}

// Entropy-coded data holds 0xFF only stuffed (0xFF 0x00) or as a restart marker; fill bytes
// 0xFF may stand before any marker.
void TestJpegStructure::markersInsideScanData()
{
    QByteArray jpeg = QByteArray::fromHex("ffd8");
    jpeg += segment(0xc0,
                    QByteArray::fromHex("08001000100101110"
                                        "0"));
    jpeg += segment(0xda, QByteArray::fromHex("010100003f00"));
    jpeg += QByteArray::fromHex("12ff0034ffd056ff00ffd1");
    jpeg += QByteArray::fromHex("ffffff") + segment(0xfe, "ab");
    jpeg += QByteArray::fromHex("ffd9");

    const std::optional<JpegStructure> structure = structureOf(jpeg);
    QVERIFY(structure);
    QCOMPARE(structure->size, QSize(16, 16));
    QCOMPARE(structure->firstScanComponents, 1);
    QCOMPARE(structure->keptSegments, 1);
    QCOMPARE(structure->keptSegmentBytes, 2);
}

void TestJpegStructure::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isJpeg");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("keptSegments");

    const QByteArray jpeg = HandMadeJpeg(Qt::gray, QSize(24, 16), JpegScans::Sequential);
    const QByteArray comment = segment(0xfe, QByteArray(100, 'c'));
    QTest::newRow("PNG") << Solid(Qt::gray, "png") << false << QSize() << 0;
    QTest::newRow("empty") << QByteArray() << false << QSize() << 0;
    // The decoder takes whatever begins with SOI for a JPEG.
    QTest::newRow("SOI alone") << QByteArray::fromHex("ffd8") << true << QSize() << 0;
    QTest::newRow("a stray byte after SOI")
        << (jpeg.left(2) + QByteArray(1, '\0') + jpeg.mid(2)) << true << QSize(24, 16) << 0;
    QTest::newRow("ends inside a comment") << (jpeg.left(2) + comment.left(50)) << true << QSize() << 1;
    QTest::newRow("ends inside the frame header") << jpeg.left(jpeg.indexOf("\xff\xc0") + 6) << true << QSize() << 0;
    QTest::newRow("a segment of length 2 holds nothing")
        << (jpeg.left(2) + QByteArray::fromHex("fffe0002") + jpeg.mid(2)) << true << QSize(24, 16) << 1;
    QTest::newRow("length below 2 stops the walk")
        << (jpeg.left(2) + QByteArray::fromHex("fffe0001") + jpeg.mid(2)) << true << QSize() << 0;
    QTest::newRow("no end of image") << (jpeg.chopped(2) + comment) << true << QSize(24, 16) << 1;
    // A frame header too short for its component count describes no frame.
    QTest::newRow("frame header shorter than its components")
        << (jpeg.left(2) + segment(0xc2, QByteArray::fromHex("0800100010031100")) + QByteArray::fromHex("ffd9")) << true
        << QSize() << 0;
}

// A scan header of no bytes holds no component count; the byte after it belongs to the next
// marker.
void TestJpegStructure::emptyScanHeader()
{
    QByteArray jpeg = QByteArray::fromHex("ffd8");
    jpeg += segment(0xc0, QByteArray::fromHex("080010001001011100"));
    jpeg += segment(0xda, {});
    jpeg += QByteArray::fromHex("ffd9");
    for (const QByteArray &bytes : {jpeg, jpeg.chopped(2)}) {
        const std::optional<JpegStructure> structure = structureOf(bytes);
        QVERIFY(structure);
        QCOMPARE(structure->size, QSize(16, 16));
        QCOMPARE(structure->firstScanComponents, 0);
    }
}

void TestJpegStructure::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isJpeg);
    const std::optional<JpegStructure> structure = structureOf(bytes);
    QCOMPARE(structure.has_value(), isJpeg);
    if (!structure)
        return;
    QFETCH(int, keptSegments);
    QTEST(structure->size, "size");
    QCOMPARE(structure->keptSegments, keptSegments);
}

void TestJpegStructure::coefficientBytes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Sampling>("sampling");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<int>("firstScanComponents");
    QTest::addColumn<qint64>("bytes");

    QTest::newRow("baseline holds none") << QSize(8192, 8192) << k444 << false << 3 << qint64(0);
    QTest::newRow("progressive 4:4:4, 64 megapixels")
        << QSize(8192, 8192) << k444 << true << 3 << qint64(3) * 1024 * 1024 * 128;
    QTest::newRow("component by component, 64 megapixels")
        << QSize(8192, 8192) << k444 << false << 1 << qint64(3) * 1024 * 1024 * 128;
    QTest::newRow("camera photo, progressive 4:2:0")
        << QSize(6000, 4000) << k420 << true << 3 << qint64(750 * 500 + 2 * 375 * 250) * 128;
    // 24 × 24 in 4:2:0: luma is 3 × 3 blocks, padded to the 2 × 2 MCU grid as 4 × 4;
    // each chroma component 2 × 2.
    QTest::newRow("MCU padding") << QSize(24, 24) << k420 << true << 3 << qint64(16 + 4 + 4) * 128;
    QTest::newRow("padding of a 3 x 1 component")
        << QSize(8, 8) << Sampling{QSize(3, 1), QSize(1, 1)} << true << 2 << qint64(3 + 1) * 128;
    // Hostile values: sampling factors of 0 count as 1, and the largest frame the header can
    // state, at the largest factors, is counted without overflow.
    QTest::newRow("sampling factors 0") << QSize(16, 16) << Sampling{QSize(0, 0), QSize(1, 1)} << true << 2
                                        << qint64(4 + 4) * 128;
    QTest::newRow("65535 x 65535, sampling 15 x 15")
        << QSize(65535, 65535) << Sampling{QSize(15, 15)} << true << 1 << qint64(8205) * 8205 * 128;
}

void TestJpegStructure::coefficientBytes()
{
    QFETCH(QSize, size);
    QFETCH(Sampling, sampling);
    QFETCH(bool, progressive);
    QFETCH(int, firstScanComponents);
    QTEST(wholeImageCoefficientBytes(frame(size, sampling, progressive, firstScanComponents)), "bytes");
}

QTEST_GUILESS_MAIN(TestJpegStructure)
#include "tst_jpeg_structure.moc"

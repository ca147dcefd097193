#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "platform/files/FileName.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestPictures;
using namespace TestFiles;
using namespace ScreenColours;

namespace {

// What the probe printed, one line per load, and a last line "crashed" when it was ended by
// a signal; empty when it had to be killed because no load ended within stallMs.
QList<QByteArray> probe(const QString &path, QSize shownSize, int loads = 1, int stallMs = 10000)
{
    QProcess child;
    child.start(
        QStringLiteral(DRAVIK_PICTURE_PROBE),
        {path, QString::number(shownSize.width()), QString::number(shownSize.height()), QString::number(loads)});
    QByteArray output;
    while (child.waitForReadyRead(stallMs) || child.state() == QProcess::NotRunning) {
        output += child.readAllStandardOutput();
        if (child.state() == QProcess::NotRunning) {
            QList<QByteArray> lines = output.trimmed().split('\n');
            if (child.exitStatus() == QProcess::CrashExit)
                lines.append("crashed");
            return lines;
        }
    }
    child.kill();
    child.waitForFinished();
    return {};
}

// 256 MB, as VmHWM counts it (KiB).
constexpr long kPeakLimitKilobytes = 256'000'000 / 1024;

QByteArray commentsAheadOfTheFrame(const QByteArray &jpeg, int count, int length)
{
    QByteArray comment = QByteArray::fromHex("fffe");
    comment.append(char((length + 2) >> 8));
    comment.append(char((length + 2) & 0xff));
    comment.append(QByteArray(length, 'c'));
    return jpeg.left(2) + comment.repeated(count) + jpeg.mid(2);
}

} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void formats_data();
    void formats();
    void stoppedLoadRaises_data();
    void stoppedLoadRaises();
    void handMadeJpegs_data();
    void handMadeJpegs();
    void contentDecidesTheFormat();
    void largePhotoComesAtTheShownSize();
    void nameThatIsNotUtf8();
    void exifOrientation_data();
    void exifOrientation();
    void failures_data();
    void failures();
    void jpegsWithoutAFrameSize_data();
    void jpegsWithoutAFrameSize();
    void decodeMemory_data();
    void decodeMemory();
    void notAFileFailsAtOnce_data();
    void notAFileFailsAtOnce();
    void fifoSwappedInAfterTheCheck();

private:
    QString write(const QString &name, const QByteArray &contents);

    QTemporaryDir m_dir;
};

void TestPictureLoader::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestPictureLoader::write(const QString &name, const QByteArray &contents)
{
    const QString path = QDir(m_dir.path()).filePath(name);
    if (!WriteFile(path, contents))
        return {};
    return path;
}

void TestPictureLoader::formats_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QColor>("colour");

    // The image-format plugins come with the build dependencies; a missing writer is a
    // broken installation, not a reason to skip.
    for (const char *format : {"jpg", "png", "bmp", "webp", "tiff"}) {
        const QByteArray contents = Solid(QColor(200, 40, 40), format);
        QVERIFY2(!contents.isEmpty(), format);
        QTest::newRow(format) << QString::fromLatin1(format) << contents << QColor(200, 40, 40);
    }
    QTest::newRow("gif, first frame") << QStringLiteral("gif") << SolidGif({QColor(0, 0, 255), QColor(255, 255, 0)})
                                      << QColor(0, 0, 255);
}

void TestPictureLoader::formats()
{
    QFETCH(QString, suffix);
    QFETCH(QByteArray, contents);
    QFETCH(QColor, colour);
    const QString path = write(QStringLiteral("picture.") + suffix, contents);
    QVERIFY(!path.isEmpty());

    const QImage picture = LoadPicture(path, QSize(30, 20));
    QCOMPARE(picture.size(), QSize(30, 20));
    QVERIFY(IsColour(picture.pixel(15, 10), colour));

    // A load that could be stopped but is not reads the same picture.
    LoadStop stop(std::chrono::hours(1));
    stop.start();
    QCOMPARE(LoadPicture(path, QSize(30, 20), stop), picture);
}

void TestPictureLoader::stoppedLoadRaises_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("detail");
    for (const char *format : {"jpg", "png"}) {
        const QByteArray contents = Solid(QColor(200, 40, 40), format, QSize(640, 480));
        QTest::addRow("%s, asked to stop", format) << contents << true << QStringLiteral("the load was stopped");
        QTest::addRow("%s, out of time", format) << contents << false << QStringLiteral("not decoded within 0 ms");
    }
}

void TestPictureLoader::stoppedLoadRaises()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, asked);
    QFETCH(QString, detail);
    const QString path = write(QStringLiteral("stopped"), contents);
    LoadStop stop(asked ? std::chrono::milliseconds(std::chrono::hours(1)) : std::chrono::milliseconds(0));
    stop.start();
    if (asked)
        stop.request();
    try {
        LoadPicture(path, QSize(30, 20), stop);
        QFAIL("a stopped load gave a picture");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::InvalidPicture);
        QCOMPARE(error.detail(), detail);
    }
}

void TestPictureLoader::handMadeJpegs_data()
{
    QTest::addColumn<int>("scans");
    QTest::addColumn<QList<QSize>>("sampling");

    const QList<QSize> full{QSize(1, 1), QSize(1, 1), QSize(1, 1)};
    const QList<QSize> quarter{QSize(2, 2), QSize(1, 1), QSize(1, 1)};
    const QList<QSize> odd{QSize(3, 1), QSize(1, 2), QSize(1, 1)};
    const QList<std::pair<const char *, JpegScans>> codings{
        {"sequential", JpegScans::Sequential},
        {"component by component", JpegScans::SequentialComponentByComponent},
        {"progressive", JpegScans::Progressive}};
    for (const auto &[name, scans] : codings) {
        QTest::addRow("%s 4:4:4", name) << int(scans) << full;
        QTest::addRow("%s 4:2:0", name) << int(scans) << quarter;
        QTest::addRow("%s 3x1 1x2 1x1", name) << int(scans) << odd;
    }
}

// The test's own JPEG encoder makes what Qt's writer cannot; here its pictures are shown to
// be real ones, decoded by Qt to their colour at a size that leaves partial MCUs.
void TestPictureLoader::handMadeJpegs()
{
    QFETCH(int, scans);
    QFETCH(QList<QSize>, sampling);
    const QColor colour(200, 40, 90);
    const QString path =
        write(QStringLiteral("hand-made.jpg"), HandMadeJpeg(colour, QSize(53, 35), JpegScans(scans), sampling));
    const QImage picture = LoadPicture(path, QSize(53, 35));
    QCOMPARE(picture.size(), QSize(53, 35));
    QVERIFY(IsColour(picture.pixel(0, 0), colour, 4));
    QVERIFY(IsColour(picture.pixel(52, 34), colour, 4));
}

void TestPictureLoader::contentDecidesTheFormat()
{
    const QString path = write(QStringLiteral("really-a-png.jpg"), Solid(QColor(10, 200, 10), "png"));
    const QImage picture = LoadPicture(path, QSize(8, 8));
    QVERIFY(IsColour(picture.pixel(4, 4), QColor(10, 200, 10), 0));
}

void TestPictureLoader::largePhotoComesAtTheShownSize()
{
    const QString path = write(QStringLiteral("large.jpg"), Solid(QColor(30, 60, 220), "jpg", QSize(3000, 2000)));
    const QImage picture = LoadPicture(path, QSize(777, 473));
    QCOMPARE(picture.size(), QSize(777, 473));
    QVERIFY(IsColour(picture.pixel(0, 0), QColor(30, 60, 220)));
    QVERIFY(IsColour(picture.pixel(776, 472), QColor(30, 60, 220)));

    // A smaller photo is stretched up to the same size.
    const QString small = write(QStringLiteral("small.jpg"), Solid(QColor(30, 60, 220), "jpg", QSize(100, 50)));
    QCOMPARE(LoadPicture(small, QSize(777, 473)).size(), QSize(777, 473));
}

void TestPictureLoader::nameThatIsNotUtf8()
{
    const QByteArray name = "67\xe9.JPG";
    const QByteArray directory = QFile::encodeName(m_dir.path()) + '/';
    // QTemporaryDir removes by text names, which cannot reach this file.
    const auto removeByBytes = qScopeGuard([&] { ::unlink((directory + name).constData()); });
    QVERIFY(WriteFileNamedByBytes(directory + name, Solid(QColor(200, 40, 40), "jpg")));
    const QString path = m_dir.path() + QLatin1Char('/') + FileName::fromBytes(name);
    const QImage picture = LoadPicture(path, QSize(30, 20));
    QVERIFY(IsColour(picture.pixel(15, 10), QColor(200, 40, 40)));

    // Errors name the file as it is shown.
    try {
        LoadPicture(path + QStringLiteral(".missing"), QSize(30, 20));
        QFAIL("no error raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::FileNotFound);
        QVERIFY2(error.message().contains(QStringLiteral("67\ufffd.JPG.missing")), qPrintable(error.message()));
    }
}

void TestPictureLoader::exifOrientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("shownSize");
    QTest::addColumn<QPoint>("redAt");
    QTest::addColumn<QPoint>("blueAt");

    // Stored: 80 × 40, red on the left half, blue on the right.
    QTest::newRow("1 upright") << 1 << QSize(40, 20) << QPoint(5, 10) << QPoint(35, 10);
    QTest::newRow("3 upside down") << 3 << QSize(40, 20) << QPoint(35, 10) << QPoint(5, 10);
    QTest::newRow("6 turned clockwise") << 6 << QSize(20, 40) << QPoint(10, 5) << QPoint(10, 35);
    QTest::newRow("8 turned anticlockwise") << 8 << QSize(20, 40) << QPoint(10, 35) << QPoint(10, 5);
}

void TestPictureLoader::exifOrientation()
{
    QFETCH(int, orientation);
    QFETCH(QSize, shownSize);
    QFETCH(QPoint, redAt);
    QFETCH(QPoint, blueAt);

    const QByteArray stored = SplitJpeg(QColor(255, 0, 0), QColor(0, 0, 255), QSize(80, 40));
    const QString path = write(QStringLiteral("camera.jpg"), WithExifOrientation(stored, quint16(orientation)));
    const QImage picture = LoadPicture(path, shownSize);
    QCOMPARE(picture.size(), shownSize);
    QVERIFY(IsColour(picture.pixel(redAt), QColor(255, 0, 0), 40));
    QVERIFY(IsColour(picture.pixel(blueAt), QColor(0, 0, 255), 40));
}

void TestPictureLoader::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("number");

    const QByteArray jpeg = Solid(Qt::gray, "jpg", QSize(16, 16));
    QTest::newRow("text file") << "notes.jpg" << QByteArray("These are not the photographs.\n")
                               << int(RuntimeError::InvalidPicture);
    QTest::newRow("empty file") << "empty.jpg" << QByteArray() << int(RuntimeError::InvalidPicture);
    QTest::newRow("JPEG claiming 20000 x 20000")
        << "huge.jpg" << WithClaimedJpegSize(jpeg, 20000, 20000) << int(RuntimeError::InvalidPicture);
    QTest::newRow("PNG claiming 100000 x 100000")
        << "huge.png" << PngHeaderClaiming(100000, 100000) << int(RuntimeError::InvalidPicture);
    // Its reader tells no size before decoding, so no limit could be applied to it.
    QTest::newRow("ICNS") << "icon.icns" << Solid(Qt::gray, "icns") << int(RuntimeError::InvalidPicture);
    QTest::newRow("missing file") << "" << QByteArray() << int(RuntimeError::FileNotFound);
    QTest::newRow("directory") << "." << QByteArray() << int(RuntimeError::FileNotFound);
}

void TestPictureLoader::failures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(int, number);

    QString path = QDir(m_dir.path()).filePath(name.isEmpty() ? QStringLiteral("missing.jpg") : name);
    if (!name.isEmpty() && name != QStringLiteral("."))
        QVERIFY(WriteFile(path, contents));
    try {
        LoadPicture(path, QSize(777, 473));
        QFAIL("no error raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(int(error.number()), number);
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(path)), qPrintable(error.message()));
    }
}

void TestPictureLoader::jpegsWithoutAFrameSize_data()
{
    QTest::addColumn<QByteArray>("contents");

    const QByteArray jpeg = Solid(Qt::gray, "jpg", QSize(64, 48));
    const QByteArray progressive = ProgressiveJpeg(Qt::gray, QSize(64, 48));
    const qsizetype frameAt = jpeg.indexOf("\xff\xc0");
    QVERIFY(frameAt > 100);
    QTest::newRow("start and end of image only") << QByteArray::fromHex("ffd8ffd9");
    QTest::newRow("start of image only") << QByteArray::fromHex("ffd8");
    QTest::newRow("first 100 bytes of a photo") << jpeg.left(100);
    QTest::newRow("cut just before the frame header") << jpeg.left(frameAt);
    QTest::newRow("cut inside the frame header") << jpeg.left(frameAt + 7);
    const QByteArray exif = WithExifOrientation(jpeg, 6);
    QTest::newRow("Exif block cut short") << exif.left(20);
    QTest::newRow("Exif block longer than the file") << (exif.left(4) + QByteArray::fromHex("ffff") + exif.mid(6, 30));
    QTest::newRow("frame 0 pixels high") << WithClaimedJpegSize(jpeg, 64, 0);
    QTest::newRow("frame 0 pixels wide") << WithClaimedJpegSize(jpeg, 0, 48);
    QTest::newRow("progressive frame 0 x 0") << WithClaimedJpegSize(progressive, 0, 0);
    QByteArray noComponents = jpeg;
    noComponents[frameAt + 9] = '\0';
    QTest::newRow("frame without components") << noComponents;
    QByteArray zeroSampling = progressive;
    zeroSampling[progressive.indexOf("\xff\xc2") + 11] = '\0';
    QTest::newRow("progressive, sampling factors 0") << zeroSampling;
    QTest::newRow("claims 65535 x 65535") << WithClaimedJpegSize(progressive, 65535, 65535);
}

// Each is refused as InvalidPicture in a child process, which a crashing load would end by
// its signal.
void TestPictureLoader::jpegsWithoutAFrameSize()
{
    QFETCH(QByteArray, contents);
    QVERIFY(!contents.isEmpty());
    const QString path = write(QStringLiteral("67A01.jpg"), contents);
    for (const QSize &shownSize : {QSize(777, 473), QSize(8, 8)}) {
        const QList<QByteArray> result = probe(path, shownSize);
        QVERIFY2(!result.isEmpty(), "the load hung");
        QVERIFY2(result.constFirst().startsWith("error 481 "), result.join('\n').constData());
    }
}

void TestPictureLoader::decodeMemory_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("shown");

    const QColor blue(30, 60, 220);
    const QList<QSize> k420{QSize(2, 2), QSize(1, 1), QSize(1, 1)};
    const QSize cap(8192, 8192); // kMaxPicturePixels
    // A progressive decode holds the coefficients of the whole image, whatever size it is
    // decoded at: 384 MiB at the cap in 4:4:4, as much for sequential scans one component
    // at a time.
    QTest::newRow("progressive 4:4:4 at the cap") << HandMadeJpeg(blue, cap, JpegScans::Progressive) << false;
    QTest::newRow("component by component 4:4:4 at the cap")
        << HandMadeJpeg(blue, cap, JpegScans::SequentialComponentByComponent) << false;
    QTest::newRow("progressive 4:2:0 at the cap") << HandMadeJpeg(blue, cap, JpegScans::Progressive, k420) << false;
    // Just within the limit, the most a photo is let take.
    QTest::newRow("progressive 4:4:4, 31 megapixels")
        << HandMadeJpeg(blue, QSize(5600, 5600), JpegScans::Progressive) << true;
    QTest::newRow("progressive 4:2:0, 60 megapixels")
        << HandMadeJpeg(blue, QSize(9504, 6336), JpegScans::Progressive, k420) << true;
    QTest::newRow("sequential 4:4:4 at the cap") << HandMadeJpeg(blue, cap, JpegScans::Sequential) << true;
    // Camera photos as Qt's writer makes them.
    QTest::newRow("24 megapixels, baseline") << Solid(blue, "jpg", QSize(6000, 4000)) << true;
    QTest::newRow("24 megapixels, progressive") << ProgressiveJpeg(blue, QSize(6000, 4000)) << true;
    // The decoder keeps every comment, and Qt copies those ahead of the frame again as text.
    const QByteArray small = Solid(blue, "jpg", QSize(64, 48));
    QTest::newRow("50 MB of comments") << commentsAheadOfTheFrame(small, 800, 65533) << false;
    QTest::newRow("a few comments") << commentsAheadOfTheFrame(small, 20, 1000) << true;
    // Keeping each one costs a walk over those kept before: 20000 take seconds.
    QTest::newRow("20000 empty comments") << commentsAheadOfTheFrame(small, 20000, 0) << false;
    // The decoder skips bytes before the first marker after SOI, so they hide nothing.
    QTest::newRow("progressive 4:4:4 at the cap, a stray byte after SOI") << [&] {
        const QByteArray jpeg = HandMadeJpeg(blue, cap, JpegScans::Progressive);
        return jpeg.left(2) + QByteArray(1, '\0') + jpeg.mid(2);
    }() << false;
    // 119 bytes: the reader tells no size before decoding, and the decoder allocates the frame
    // twice over, outside Qt's allocation limit.
    QTest::newRow("MNG claiming 5792 x 5792") << MngClaiming(5792, 5792) << false;
}

// Each load runs in a fresh child process, whose peak memory (VmHWM) is that of one load.
// A photo is shown within 256 MB, or refused as InvalidPicture without taking it.
void TestPictureLoader::decodeMemory()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, shown);
    const QString path = write(QStringLiteral("memory.jpg"), contents);
    QVERIFY(!path.isEmpty());

    const QList<QByteArray> result = probe(path, QSize(777, 473), 1, 60000);
    QVERIFY2(!result.isEmpty(), "the load hung");
    const QList<QByteArray> fields = result.constFirst().split(' ');
    if (shown)
        QVERIFY2(result.constFirst().startsWith("ok 777 473 "), result.constFirst().constData());
    else
        QVERIFY2(result.constFirst().startsWith("error 481 "), result.constFirst().constData());
    const long peak = fields.value(shown ? 3 : 2).toLong();
    qInfo("peak %.0f MB: %s", double(peak) * 1024 / 1e6, result.constFirst().left(100).constData());
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer's shadow memory and quarantine inflate the peak");
#endif
    QVERIFY(peak > 0);
    QVERIFY2(peak < kPeakLimitKilobytes, qPrintable(QStringLiteral("peak %1 KiB").arg(peak)));
}

void TestPictureLoader::notAFileFailsAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("FIFO") << QStringLiteral("fifo.jpg");
    QTest::newRow("link to /dev/zero") << QStringLiteral("zero.jpg");
    QTest::newRow("link to a FIFO") << QStringLiteral("fifo-link.jpg");
}

// Opening a FIFO with no writer blocks for ever, and reading a device never ends. The load
// runs in a child process, so a loader that hangs fails the test instead of hanging it.
void TestPictureLoader::notAFileFailsAtOnce()
{
    QFETCH(QString, name);
    const QDir dir(m_dir.path());
    if (!QFileInfo::exists(dir.filePath(QStringLiteral("fifo.jpg")))) {
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.jpg"))).constData(), 0600), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.jpg"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo.jpg")), dir.filePath(QStringLiteral("fifo-link.jpg"))));
    }
    const QList<QByteArray> result = probe(dir.filePath(name), QSize(777, 473));
    QVERIFY2(!result.isEmpty(), "the load hung");
    QVERIFY2(result.constFirst().startsWith("error 53 "), result.constFirst().constData());
}

// Another process renames a FIFO over the photo, and the photo back over it, again and
// again, while the child loads the photo: whichever it finds when it opens the path, the
// load ends, with the photo or with FileNotFound. A loader that checks the path and then
// opens it by name soon meets the FIFO at the open and blocks there.
void TestPictureLoader::fifoSwappedInAfterTheCheck()
{
    const QDir dir(m_dir.path());
    const QByteArray photo = QFile::encodeName(dir.filePath(QStringLiteral("swapped.jpg")));
    const QByteArray regular = QFile::encodeName(dir.filePath(QStringLiteral("regular")));
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo")));
    const QByteArray spare = QFile::encodeName(dir.filePath(QStringLiteral("spare")));
    QVERIFY(WriteFile(QFile::decodeName(regular), Solid(QColor(200, 40, 40), "jpg", QSize(16, 16))));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(::link(regular.constData(), photo.constData()), 0);

    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        while (!stop) {
            for (const QByteArray &next : {fifo, regular}) {
                if (::link(next.constData(), spare.constData()) == 0)
                    ::rename(spare.constData(), photo.constData());
            }
        }
    });
    const QList<QByteArray> results = probe(QFile::decodeName(photo), QSize(8, 8), 2000);
    stop = true;
    swapper.join();

    QVERIFY2(!results.isEmpty(), "a load hung");
    QCOMPARE(results.size(), 2000);
    qsizetype shown = 0;
    for (const QByteArray &result : results) {
        QVERIFY2(result.startsWith("ok 8 8 ") || result.startsWith("error 53 "), result.constData());
        shown += result.startsWith("ok ") ? 1 : 0;
    }
    // Both were met, so the swaps did run during the loads.
    QVERIFY(shown > 0 && shown < results.size());
}

QTEST_MAIN(TestPictureLoader)
#include "tst_picture_loader.moc"

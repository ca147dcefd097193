#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QFile>
#include <QTest>

using namespace TestPictures;
using namespace TestFiles;
using namespace ScreenColours;

namespace {

const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");
// Where the photo appears on this 1024 × 768 screen (see tst_saver_on_screen).
const QRect kPhotoArea(124, 101, 776, 472);
const QColor kGreen(0, 200, 0);
// Ticks come every second; the first file stays for three of them.
constexpr int kTicksWithinMs = 15000;

} // namespace

// The real program on a real X server (Xvfb, 1024 × 768), ticking every second, over a photo
// directory whose second file is a JPEG with no usable frame size, as an interrupted copy or a
// hostile file leaves it: the saver decodes it ahead while the first photo is on screen, takes
// the missing-photographs path at its tick, and goes on.
class TestSaverDamagedPhoto : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void damagedPhotoFailsAndTheSaverGoesOn_data();
    void damagedPhotoFailsAndTheSaverGoesOn();
    void photoCutShortAfterItsDecodeFailsAtItsNextTick();

private:
    // Waits for the failure message, answers it and gives the window it was over back.
    void answerFailure(ProgramProcess &program);

    SaverProgramFixture m_saver;
};

void TestSaverDamagedPhoto::initTestCase()
{
    m_saver.setUp();
}

void TestSaverDamagedPhoto::init()
{
    m_saver.renewPhotoDir();
    QVERIFY(WriteFile(m_saver.photoDir() + QStringLiteral("57A01.jpg"), Solid(kGreen, "jpg", QSize(640, 480))));
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
    // The pointer rests over where the photo will appear: the saver appearing under it is no input.
    QVERIFY(XDoTool::mouseMove(500, 300));
}

void TestSaverDamagedPhoto::answerFailure(ProgramProcess &program)
{
    const QString box = XDoTool::waitForWindow(kFailureTitle, kTicksWithinMs);
    if (box.isEmpty() && program.waitForExit(0)) {
        const int status = program.exitStatus() == QProcess::CrashExit ? 128 + program.exitCode() : program.exitCode();
        QFAIL(qPrintable(QStringLiteral("no failure message: the saver ended, exit status %1\n%2")
                             .arg(status)
                             .arg(program.standardError())));
    }
    QVERIFY2(!box.isEmpty(), qPrintable(QStringLiteral("no failure message\n%1").arg(program.standardError())));
    QVERIFY2(program.waitForStderr(QStringLiteral("Timer1_Timer failed"), 5000), qPrintable(program.standardError()));
    QVERIFY(XDoTool::keyInWindow(box, QStringLiteral("Return")));
    QTRY_VERIFY_WITH_TIMEOUT(XDoTool::waitForWindow(kFailureTitle, 0).isEmpty(), 5000);
}

void TestSaverDamagedPhoto::damagedPhotoFailsAndTheSaverGoesOn_data()
{
    QTest::addColumn<QByteArray>("contents");

    const QByteArray jpeg = Solid(Qt::gray, "jpg");
    QTest::newRow("start and end of image only") << QByteArray::fromHex("ffd8ffd9");
    QTest::newRow("first 100 bytes of a photo") << jpeg.left(100);
    QTest::newRow("Exif block cut short") << WithExifOrientation(jpeg, 6).left(20);
    QTest::newRow("frame 0 pixels high") << WithClaimedJpegSize(jpeg, 64, 0);
    QTest::newRow("frame 0 pixels wide") << WithClaimedJpegSize(jpeg, 0, 48);
}

// The failure comes at the damaged file's tick, and again a cycle later: the saver lived
// through two decodes of it.
void TestSaverDamagedPhoto::damagedPhotoFailsAndTheSaverGoesOn()
{
    QFETCH(QByteArray, contents);
    QVERIFY(!contents.isEmpty());
    QVERIFY(WriteFile(m_saver.photoDir() + QStringLiteral("67A01.jpg"), contents));

    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    if (QTest::currentTestFailed())
        return;
    for (int cycle = 0; cycle < 2; ++cycle) {
        answerFailure(program);
        if (QTest::currentTestFailed())
            return;
    }
    SaverProgramFixture::end(program);
}

// The one photo is decoded and shown, then cut short where it lies (same file, fewer bytes):
// the next tick decodes it anew and fails.
void TestSaverDamagedPhoto::photoCutShortAfterItsDecodeFailsAtItsNextTick()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(ShareOfScreenInColour(kPhotoArea, kGreen) > 0.9, kTicksWithinMs);

    QFile photo(m_saver.photoDir() + QStringLiteral("57A01.jpg"));
    QVERIFY(photo.resize(100));
    answerFailure(program);
    if (QTest::currentTestFailed())
        return;
    SaverProgramFixture::end(program);
}

QTEST_MAIN(TestSaverDamagedPhoto)
#include "tst_saver_damaged_photo.moc"

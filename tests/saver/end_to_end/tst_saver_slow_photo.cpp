#include "CloseHandlers.h"
#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScanBomb.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "XDoTool.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <csignal>

namespace {

const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");
// The saver ends within a second of the input, whatever a decode is doing; the rest is
// margin for a loaded machine. The photo's decode alone takes half a minute.
constexpr int kEndsWithinMs = 2000;
// A decode is given up after 5 seconds, and its photo fails at a tick after that.
constexpr int kFailsWithinMs = 12000;
// Where the photo appears on this 1024 × 768 screen (see tst_saver_on_screen).
const QRect kPhotoArea(124, 101, 776, 472);
// The saver's bare black surface, left of the stack.
const QRect kBareSurface(0, 0, 100, 90);
const QColor kBombGrey(ScanBomb::kGrey, ScanBomb::kGrey, ScanBomb::kGrey);

enum class Input { Key, ClickOnThePhoto, Terminate };

} // namespace

Q_DECLARE_METATYPE(Input)

// The real program on a real X server (Xvfb, 1024 × 768), ticking every second, with one
// photo whose decoding takes far longer than the saver may wait for it: it must neither
// hold up the saver's end nor ever show, and it takes the failure path. Each case starts a
// fresh saver; a case that fails kills its saver on the way out (ProgramProcess), so no
// decode runs on into the next case.
class TestSaverSlowPhoto : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void inputEndsWhileThePhotoDecodes_data();
    void inputEndsWhileThePhotoDecodes();
    void photoTooSlowToDecodeFailsAndTheSaverGoesOn();

private:
    SaverProgramFixture m_saver;
};

void TestSaverSlowPhoto::initTestCase()
{
    m_saver.setUp();
    const QString photoDir = m_saver.photoDir();
    const QByteArray bomb = ScanBomb::Jpeg();
    QVERIFY(!bomb.isEmpty());
    QVERIFY(TestFiles::WriteFile(photoDir + QStringLiteral("57A01.jpg"), bomb));
    StoreSaverSettings(QStringLiteral("1"), photoDir);
}

void TestSaverSlowPhoto::init()
{
    // The pointer rests over where the photo will appear: the saver appearing under it is no input.
    QVERIFY(XDoTool::mouseMove(500, 300));
}

void TestSaverSlowPhoto::inputEndsWhileThePhotoDecodes_data()
{
    QTest::addColumn<Input>("input");
    // The lifecycle line of the handler that takes the input.
    QTest::addColumn<QString>("handler");
    QTest::addColumn<bool>("throughCloseHandlers");
    QTest::newRow("key") << Input::Key << QStringLiteral("Form_KeyDown") << false;
    QTest::newRow("click on the photo") << Input::ClickOnThePhoto << QStringLiteral("Image1_MouseDown") << false;
    QTest::newRow("SIGTERM") << Input::Terminate << QStringLiteral("Form_QueryUnload") << true;
}

void TestSaverSlowPhoto::inputEndsWhileThePhotoDecodes()
{
    QFETCH(Input, input);
    QFETCH(QString, handler);
    QFETCH(bool, throughCloseHandlers);
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    if (QTest::currentTestFailed())
        return;
    // Past the first tick: the photo's decode has begun and has half a minute to go.
    QTest::qWait(1500);
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));

    switch (input) {
    case Input::Key:
        QVERIFY(XDoTool::key(QStringLiteral("a")));
        break;
    case Input::ClickOnThePhoto:
        QVERIFY(XDoTool::click(1));
        break;
    case Input::Terminate:
        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
        break;
    }
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("the input"), kEndsWithinMs);
    const QString log = program.standardError();
    QVERIFY2(log.contains(handler), qPrintable(log));
    QVERIFY2(ClosedThroughCloseHandlers(log) == throughCloseHandlers, qPrintable(log));
}

void TestSaverSlowPhoto::photoTooSlowToDecodeFailsAndTheSaverGoesOn()
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    if (QTest::currentTestFailed())
        return;

    const QString box =
        XDoTool::waitForWindow(kFailureTitle, int(std::max<qint64>(0, kFailsWithinMs - sinceStart.elapsed())));
    QVERIFY2(!box.isEmpty(),
             qPrintable(QStringLiteral("no failure message %1 ms after the start\n%2")
                            .arg(sinceStart.elapsed())
                            .arg(program.standardError())));
    QVERIFY2(program.waitForStderr(QStringLiteral("Timer1_Timer failed"), 2000), qPrintable(program.standardError()));

    // Nothing of the photo reached the screen, around the message; the bare surface's black
    // tells that the screen is read at all.
    QVERIFY(ScreenColours::ShareOfScreenInColour(kBareSurface, Qt::black) > 0.9);
    const double photoShown = ScreenColours::ShareOfScreenInColour(kPhotoArea, kBombGrey);
    QVERIFY2(photoShown < 0.2, qPrintable(QStringLiteral("%1 of the photo area in its grey").arg(photoShown)));

    // Answered, the message goes and the saver stays.
    QVERIFY(XDoTool::keyInWindow(box, QStringLiteral("Return")));
    QTRY_VERIFY_WITH_TIMEOUT(XDoTool::waitForWindow(kFailureTitle, 0).isEmpty(), 3000);
    QTest::qWait(1500);
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));
    QVERIFY(!XDoTool::windowsOfProcess(program.processId()).isEmpty());
    QVERIFY2(!program.standardError().contains(QStringLiteral("EndProgram")), qPrintable(program.standardError()));
}

QTEST_MAIN(TestSaverSlowPhoto)
#include "tst_saver_slow_photo.moc"

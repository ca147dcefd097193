#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QRegularExpression>
#include <QTest>

// The real program on a real X server (Xvfb, 1024 × 768, 15 twips per pixel), driven with
// xdotool as a user would drive it. At this size the stack sits 1400 twips down:
//   frame SSPanel1   x 116..908, y 93..581, bevel 8 pixels
//   photo Image1     x 124..900, y 101..573
//   caption panYear  x 386..638, y 582..605
//   banner Image2    x 207..816, y 606..681
class TestSaverOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void fourthMoveOverThePhotoEnds();
    void keyPressEnds();
    void pressOverTheBannerIsIgnoredPressOnThePhotoEnds();
    void transparentPartsShowTheFramesBlack_data();
    void transparentPartsShowTheFramesBlack();

private:
    static int moveCountLines(const QString &log);

    SaverProgramFixture m_saver;
};

void TestSaverOnScreen::initTestCase()
{
    m_saver.setUp();
    const QString photoDir = m_saver.photoDir();
    QVERIFY(TestFiles::WriteFile(photoDir + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::red, "jpg")));
    QVERIFY(TestFiles::WriteFile(photoDir + QStringLiteral("ZZ001.jpg"), TestPictures::Solid(Qt::blue, "jpg")));
}

void TestSaverOnScreen::init()
{
    // Ticks every second during the test: they must not end anything either.
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
    // The pointer rests over where the photo will appear.
    QVERIFY(XDoTool::mouseMove(500, 300));
}

int TestSaverOnScreen::moveCountLines(const QString &log)
{
    return int(log.count(QRegularExpression(QStringLiteral("MoveCount \\d"))));
}

void TestSaverOnScreen::fourthMoveOverThePhotoEnds()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);

    // Appearing under a resting pointer is no input: the saver stays up through ticks.
    QTest::qWait(2500);
    QVERIFY(program.isRunning());
    QCOMPARE(moveCountLines(program.standardError()), 0);

    // Over the banner, the caption bar and the frame's bevel: nothing counts.
    const QList<QPoint> ignored{{300, 640}, {400, 650}, {500, 660}, {700, 620}, {450, 590}, {500, 595},
                                {550, 588}, {119, 300}, {120, 350}, {119, 400}, {500, 96},  {905, 300}};
    for (int round = 0; round < 2; ++round) {
        for (const QPoint &point : ignored)
            QVERIFY(XDoTool::mouseMove(point.x(), point.y()));
    }
    // The bare surface counts on its own counter; its first line proves that everything
    // before it has been handled without counting.
    QVERIFY(XDoTool::mouseMove(50, 700));
    QVERIFY(program.waitForStderr(QStringLiteral("Form_MouseMove: FormMoveCount 1")));
    QCOMPARE(moveCountLines(program.standardError()), 1);
    // One move at a time: Qt merges the moves that queue up before it reads them.
    QVERIFY(XDoTool::mouseMove(60, 710));
    QVERIFY(program.waitForStderr(QStringLiteral("FormMoveCount 2")));
    QVERIFY(XDoTool::mouseMove(70, 720));
    QVERIFY(program.waitForStderr(QStringLiteral("FormMoveCount 3")));

    for (int i = 1; i <= 3; ++i) {
        QVERIFY(XDoTool::mouseMove(400 + 10 * i, 300));
        QVERIFY(program.waitForStderr(QStringLiteral("Image1MoveCount %1").arg(i)));
    }
    QTest::qWait(300);
    QVERIFY(program.isRunning());

    QVERIFY(XDoTool::mouseMove(450, 320));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("the fourth move over the photo"));
    const QString log = program.standardError();
    QVERIFY2(log.contains(QStringLiteral("EndProgram")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("RestoreCursor: display count 1")), qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("Form_QueryUnload")), qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("Timer1_Timer failed")), qPrintable(log));
}

void TestSaverOnScreen::keyPressEnds()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    QTest::qWait(500);
    QVERIFY(XDoTool::key(QStringLiteral("a")));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("a key"));
    QVERIFY2(program.standardError().contains(QStringLiteral("Form_KeyDown")), qPrintable(program.standardError()));
}

void TestSaverOnScreen::pressOverTheBannerIsIgnoredPressOnThePhotoEnds()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);

    for (const QPoint &point : {QPoint(500, 640), QPoint(500, 590), QPoint(120, 300)}) {
        QVERIFY(XDoTool::mouseMove(point.x(), point.y()));
        QVERIFY(XDoTool::click(1));
        QVERIFY(XDoTool::click(3));
    }
    QTest::qWait(500);
    QVERIFY(program.isRunning());

    QVERIFY(XDoTool::mouseMove(600, 400));
    QVERIFY(XDoTool::click(1));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("a press on the photo"));
    const QString log = program.standardError();
    QVERIFY2(log.contains(QStringLiteral("Image1_MouseDown")), qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("Image1_Click")), qPrintable(log));
}

void TestSaverOnScreen::transparentPartsShowTheFramesBlack_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("afterABluePhoto"); // else over the start-up picture
    QTest::addColumn<QColor>("leftHalf");

    // The photo's left half is green at half opacity (GIF has only opaque or none), its right
    // half transparent.
    const QColor halfGreenOverBlack(0, 100, 0);
    QTest::newRow("PNG after a blue photo") << QByteArray("png") << true << halfGreenOverBlack;
    QTest::newRow("GIF after a blue photo") << QByteArray("gif") << true << QColor(0, 200, 0);
    QTest::newRow("WebP after a blue photo") << QByteArray("webp") << true << halfGreenOverBlack;
    QTest::newRow("PNG over the start-up picture") << QByteArray("png") << false << halfGreenOverBlack;
}

// What a photo leaves transparent shows the frame's black, never the picture before it; the
// same when the photo comes back a round later from the rendition cache.
void TestSaverOnScreen::transparentPartsShowTheFramesBlack()
{
    QFETCH(QByteArray, format);
    QFETCH(bool, afterABluePhoto);
    QFETCH(QColor, leftHalf);

    m_saver.renewPhotoDir();
    const QString photoDir = m_saver.photoDir();
    if (afterABluePhoto)
        QVERIFY(TestFiles::WriteFile(photoDir + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::blue, "jpg")));
    const QString photo = photoDir + QStringLiteral("67A01.") + QString::fromLatin1(format);
    const QByteArray contents = TestPictures::HalfTransparent(QColor(0, 200, 0, 128), format.constData());
    QVERIFY(!contents.isEmpty());
    QVERIFY(TestFiles::WriteFile(photo, contents));
    StoreSaverSettings(QStringLiteral("1"), photoDir);

    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    const QRect photoArea(124, 101, 776, 472);
    const QRect left(150, 130, 330, 410);
    const QRect right(540, 130, 330, 410);
    const auto showsBlue = [&] { return ScreenColours::ShareOfScreenInColour(photoArea, Qt::blue) > 0.9; };
    const auto showsTheFrameBehind = [&] {
        return ScreenColours::ShareOfScreenInColour(right, Qt::black, 12) > 0.9
            && ScreenColours::ShareOfScreenInColour(left, leftHalf) > 0.9;
    };
    if (afterABluePhoto)
        QTRY_VERIFY_WITH_TIMEOUT(showsBlue(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(showsTheFrameBehind(), 10000);
    if (afterABluePhoto) {
        QVERIFY2(program.waitForStderr(QStringLiteral("rendition from cache \"%1\"").arg(photo)),
                 qPrintable(program.standardError()));
        QTRY_VERIFY_WITH_TIMEOUT(showsBlue(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(showsTheFrameBehind(), 10000);
    }
    SaverProgramFixture::end(program);
}

QTEST_MAIN(TestSaverOnScreen)
#include "tst_saver_on_screen.moc"

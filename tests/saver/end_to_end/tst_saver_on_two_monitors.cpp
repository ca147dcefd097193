#include "MultiMonitorX.h"
#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <unistd.h>

// The real program on a real X server with two monitors (Xorg with the dummy driver, see
// MultiMonitorX), driven with xdotool: the photo stack stays on the primary monitor, every
// other monitor is covered in black, and input over a cover ends the saver as it does over
// the main window. On the 1024 × 768 primary the stack sits as in tst_saver_on_screen:
//   photo Image1   x 124..900, y 101..573
// The desktop is painted a colour of its own first, so that black means covered.
class TestSaverOnTwoMonitors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void secondMonitorIsCoveredInBlack();
    void pressOnTheSecondMonitorEnds();
    void fourthMoveOverTheSecondMonitorEnds();
    void monitorSwitchedOnLaterIsCovered();

private:
    struct QtScreen
    {
        QString name;
        QRect geometry;
        qreal devicePixelRatio = 0;
        bool primary = false;
    };

    void twoMonitors();
    QList<QtScreen> qtScreens(QString *error);
    void start(ProgramProcess &program);
    bool waitForSaverUnderPointer(qint64 pid);
    QString pointerReport();
    QImage waitForScreenshot(const std::function<QString(const QImage &)> &problem, QString *lastProblem);
    QString saveScreenshot(const QImage &shot, const QString &name);
    void endWithKey(ProgramProcess &program);

    MultiMonitorX m_x;
    SaverProgramFixture m_saver;
    QTemporaryDir m_screenshots{QDir::tempPath() + QStringLiteral("/dravik-two-monitors-XXXXXX")};
};

namespace {

const QRect kPrimary(0, 0, 1024, 768);
const QRect kSecond(1024, 0, 800, 600);
const QRect kPhoto(QPoint(124, 101), QPoint(900, 573));
const QColor kPhotoColour(0, 190, 60);
const QString kDesktopName = QStringLiteral("#336699");
const QColor kDesktop(kDesktopName);
// Where the pointer rests when a saver starts: over the second monitor.
const QPoint kResting(1300, 200);
// Generous: the covers are expected within a second or two, and sanitizer builds are slow.
constexpr int kCoverTimeoutMs = 10000;
constexpr int kExitTimeoutMs = 10000;

QString rectText(const QRect &rect)
{
    return QStringLiteral("%1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

// What is wrong with the area of the shot being in one colour; empty when nothing is.
QString colourProblem(const QImage &shot, const QRect &area, const QColor &expected, const QString &what)
{
    return ScreenColours::AreaColourProblem(shot, area, expected, what, 20);
}

QString windowsReport(qint64 pid)
{
    QStringList windows;
    for (const QString &id : XDoTool::windowsOfProcess(pid))
        windows << id + QLatin1Char(' ') + rectText(XDoTool::windowGeometry(id));
    return QStringLiteral("windows of the saver: [%1]").arg(windows.join(QStringLiteral(", ")));
}

// Until a visible window of the process has exactly that place on the screen.
bool waitForWindowAt(qint64 pid, const QRect &geometry)
{
    QDeadlineTimer deadline(kCoverTimeoutMs);
    do {
        const QStringList windows = XDoTool::windowsOfProcess(pid);
        if (std::any_of(windows.cbegin(), windows.cend(),
                        [&](const QString &id) { return XDoTool::windowGeometry(id) == geometry; }))
            return true;
        QTest::qWait(50);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace

void TestSaverOnTwoMonitors::initTestCase()
{
    if (!m_x.start()) {
        const QString reason = QStringLiteral("Xorg with the dummy driver could not be started: ") + m_x.errorString();
        // CI runs as root and must run this test; elsewhere Xorg may need root.
        if (qEnvironmentVariable("CI") != QLatin1String("true") && ::geteuid() != 0)
            QSKIP(qPrintable(reason + QStringLiteral("\n(starting Xorg needs root)")));
        QFAIL(qPrintable(reason));
    }
    m_x.applyToThisProcess();
    // For the saver and the screen probe; ctest gives a test without Xvfb the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qInfo("Xorg with two monitors on display %s", qPrintable(m_x.display()));

    twoMonitors();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(m_x.fillRoot(kDesktopName), qPrintable(m_x.errorString()));

    // What a Qt program on this display sees: the saver is one.
    QString error;
    const QList<QtScreen> screens = qtScreens(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(screens.size(), 2);
    QVERIFY2(screens[0].primary, "Qt lists the primary monitor first");
    QCOMPARE(screens[0].geometry, kPrimary);
    QCOMPARE(screens[1].geometry, kSecond);
    QCOMPARE(screens[0].devicePixelRatio, 1.0);
    QCOMPARE(screens[1].devicePixelRatio, 1.0);

    m_saver.setUp();
    QVERIFY(m_screenshots.isValid());
    // Kept for a person to look at.
    m_screenshots.setAutoRemove(false);
    QVERIFY(TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("57A01.jpg"),
                                 TestPictures::Solid(kPhotoColour, "jpg")));
    // Ticks every second: the covers must stay while the photos change.
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

void TestSaverOnTwoMonitors::init()
{
    twoMonitors();
    QVERIFY(XDoTool::mouseMove(kResting.x(), kResting.y()));
}

void TestSaverOnTwoMonitors::cleanupTestCase()
{
    m_x.stop();
}

void TestSaverOnTwoMonitors::twoMonitors()
{
    const QMap<QString, QRect> expected{{QStringLiteral("DUMMY0"), kPrimary}, {QStringLiteral("DUMMY1"), kSecond}};
    if (m_x.monitors() == expected)
        return;
    QVERIFY2(m_x.addOutput(QStringLiteral("DUMMY0"), kPrimary.width(), kPrimary.height()),
             qPrintable(m_x.errorString() + QLatin1Char('\n') + m_x.logTail()));
    QVERIFY2(m_x.addOutput(QStringLiteral("DUMMY1"), kSecond.width(), kSecond.height(), QStringLiteral("DUMMY0")),
             qPrintable(m_x.errorString() + QLatin1Char('\n') + m_x.logTail()));
    QCOMPARE(m_x.monitors(), expected);
}

// This test program started again with --print-screens, as a Qt program on the display.
QList<TestSaverOnTwoMonitors::QtScreen> TestSaverOnTwoMonitors::qtScreens(QString *error)
{
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--print-screens")});
    if (!probe.waitForFinished(20000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        *error = QStringLiteral("the screen probe failed: ") + QString::fromLocal8Bit(probe.readAllStandardError());
        probe.kill();
        probe.waitForFinished(5000);
        return {};
    }
    QList<QtScreen> screens;
    const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput());
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 7) {
            *error = QStringLiteral("the screen probe said: ") + output;
            return {};
        }
        screens.append({fields[0], QRect(fields[1].toInt(), fields[2].toInt(), fields[3].toInt(), fields[4].toInt()),
                        fields[5].toDouble(), fields[6] == QLatin1String("primary")});
    }
    return screens;
}

void TestSaverOnTwoMonitors::start(ProgramProcess &program)
{
    SaverProgramFixture::start(program);
    if (QTest::currentTestFailed())
        return;
    // The main window covers the primary monitor, and no more.
    QVERIFY2(waitForWindowAt(program.processId(), kPrimary),
             qPrintable(QStringLiteral("no window of the saver at %1; %2")
                            .arg(rectText(kPrimary), windowsReport(program.processId()))));
}

// Until a window of the saver, a cover, is under the pointer resting on the second
// monitor; input made before that would go to the desktop.
bool TestSaverOnTwoMonitors::waitForSaverUnderPointer(qint64 pid)
{
    QDeadlineTimer deadline(kCoverTimeoutMs);
    do {
        if (XDoTool::windowPid(XDoTool::windowUnderPointer()) == pid)
            return true;
        QTest::qWait(50);
    } while (!deadline.hasExpired());
    return false;
}

QString TestSaverOnTwoMonitors::pointerReport()
{
    const QString window = XDoTool::windowUnderPointer();
    return QStringLiteral("under the pointer is window %1 of process %2").arg(window).arg(XDoTool::windowPid(window));
}

// Takes screenshots until problem() finds none in one, or the time is up; returns the last.
QImage TestSaverOnTwoMonitors::waitForScreenshot(const std::function<QString(const QImage &)> &problem,
                                                 QString *lastProblem)
{
    QDeadlineTimer deadline(kCoverTimeoutMs);
    QImage shot;
    do {
        shot = m_x.screenshot();
        *lastProblem = shot.isNull() ? m_x.errorString() : problem(shot);
        if (lastProblem->isEmpty())
            return shot;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return shot;
}

QString TestSaverOnTwoMonitors::saveScreenshot(const QImage &shot, const QString &name)
{
    const QString path = m_screenshots.filePath(name + QStringLiteral(".png"));
    if (shot.isNull() || !shot.save(path))
        return QStringLiteral("(no screenshot saved)");
    qInfo("screenshot: %s", qPrintable(path));
    return path;
}

void TestSaverOnTwoMonitors::endWithKey(ProgramProcess &program)
{
    QVERIFY(XDoTool::key(QStringLiteral("a")));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("a key"), kExitTimeoutMs);
}

void TestSaverOnTwoMonitors::secondMonitorIsCoveredInBlack()
{
    QString problem;
    const QImage before = waitForScreenshot(
        [](const QImage &shot) { return colourProblem(shot, kSecond, kDesktop, QStringLiteral("the desktop")); },
        &problem);
    const QString beforePath = saveScreenshot(before, QStringLiteral("before-the-saver"));
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("before the saver starts, %1; %2").arg(problem, beforePath)));

    ProgramProcess program(m_saver.environment());
    start(program);
    if (QTest::currentTestFailed())
        return;

    // The test photo replaces the built-in one on the first tick.
    const QImage stack = waitForScreenshot(
        [](const QImage &shot) {
            QString found = colourProblem(shot, kPhoto, kPhotoColour, QStringLiteral("the photo"));
            if (found.isEmpty())
                found = colourProblem(shot, QRect(0, 0, 100, 90), Qt::black, QStringLiteral("the main window"));
            return found;
        },
        &problem);
    QVERIFY2(problem.isEmpty(),
             qPrintable(QStringLiteral("the primary monitor: %1; %2")
                            .arg(problem, saveScreenshot(stack, QStringLiteral("stack")))));

    const QImage covered = waitForScreenshot(
        [](const QImage &shot) {
            return colourProblem(shot, kSecond, Qt::black, QStringLiteral("the second monitor"));
        },
        &problem);
    const QString path = saveScreenshot(covered, QStringLiteral("saver-on-two-monitors"));
    QVERIFY2(problem.isEmpty(),
             qPrintable(QStringLiteral("the saver does not cover the second monitor: %1 (%2); %3")
                            .arg(problem, windowsReport(program.processId()), path)));
    // The photo is still where it was, now that everything is up.
    problem = colourProblem(covered, kPhoto, kPhotoColour, QStringLiteral("the photo"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));

    endWithKey(program);
    if (QTest::currentTestFailed())
        return;
    // The covers go with the saver.
    const QImage after = waitForScreenshot(
        [](const QImage &shot) { return colourProblem(shot, kSecond, kDesktop, QStringLiteral("the desktop")); },
        &problem);
    QVERIFY2(problem.isEmpty(),
             qPrintable(QStringLiteral("after the saver ended, %1; %2")
                            .arg(problem, saveScreenshot(after, QStringLiteral("after-the-saver")))));
}

void TestSaverOnTwoMonitors::pressOnTheSecondMonitorEnds()
{
    ProgramProcess program(m_saver.environment());
    start(program);
    if (QTest::currentTestFailed())
        return;
    const bool covered = waitForSaverUnderPointer(program.processId());
    const QString underPointer = pointerReport();

    QVERIFY(XDoTool::mouseMove(1400, 300));
    QVERIFY(XDoTool::click(1));
    QVERIFY2(program.waitForExit(kExitTimeoutMs),
             qPrintable(QStringLiteral("a press at 1400,300 on the second monitor did not end the saver "
                                       "(%1: %2; %3)\n%4")
                            .arg(covered ? QStringLiteral("covered") : QStringLiteral("not covered"), underPointer,
                                 windowsReport(program.processId()), program.standardError())));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestSaverOnTwoMonitors::fourthMoveOverTheSecondMonitorEnds()
{
    ProgramProcess program(m_saver.environment());
    start(program);
    if (QTest::currentTestFailed())
        return;
    // A cover appearing under the resting pointer is no move, nor is a tick: the first one
    // shows the test photo.
    const bool covered = waitForSaverUnderPointer(program.processId());
    const QString underPointer = pointerReport();
    QString problem;
    waitForScreenshot(
        [](const QImage &shot) { return colourProblem(shot, kPhoto, kPhotoColour, QStringLiteral("the photo")); },
        &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // Each move is waited for before the next: Qt merges moves that queue up on a loaded machine.
    int count = 0;
    for (const QPoint &point : {QPoint(1350, 250), QPoint(1400, 300), QPoint(1450, 350)}) {
        QVERIFY(XDoTool::mouseMove(point.x(), point.y()));
        QVERIFY2(program.waitForStderr(QStringLiteral("FormMoveCount %1").arg(++count)),
                 qPrintable(program.standardError()));
    }
    // A move over the photo counts on the photo's own counter.
    QVERIFY(XDoTool::mouseMove(500, 300));
    QVERIFY2(program.waitForStderr(QStringLiteral("Image1MoveCount 1")), qPrintable(program.standardError()));
    QVERIFY2(
        program.isRunning() && !program.standardError().contains(QStringLiteral("EndProgram")),
        qPrintable(QStringLiteral("three moves over the second monitor ended the saver\n") + program.standardError()));

    QVERIFY(XDoTool::mouseMove(1500, 400));
    QVERIFY2(program.waitForExit(kExitTimeoutMs),
             qPrintable(QStringLiteral("the fourth move over the second monitor did not end the saver "
                                       "(before the moves %1: %2; now %3; %4)\n%5")
                            .arg(covered ? QStringLiteral("covered") : QStringLiteral("not covered"), underPointer,
                                 pointerReport(), windowsReport(program.processId()), program.standardError())));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestSaverOnTwoMonitors::monitorSwitchedOnLaterIsCovered()
{
    QVERIFY2(m_x.removeOutput(QStringLiteral("DUMMY1")), qPrintable(m_x.errorString()));
    QString error;
    const qsizetype screens = qtScreens(&error).size();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(screens, 1);
    QVERIFY(XDoTool::mouseMove(1000, 700));

    ProgramProcess program(m_saver.environment());
    start(program);
    if (QTest::currentTestFailed())
        return;

    QVERIFY2(m_x.addOutput(QStringLiteral("DUMMY1"), kSecond.width(), kSecond.height(), QStringLiteral("DUMMY0")),
             qPrintable(m_x.errorString()));
    QElapsedTimer sinceSwitchedOn;
    sinceSwitchedOn.start();
    QString problem;
    const QImage covered = waitForScreenshot(
        [](const QImage &shot) { return colourProblem(shot, kSecond, Qt::black, QStringLiteral("the new monitor")); },
        &problem);
    const qint64 elapsed = sinceSwitchedOn.elapsed();
    const QString path = saveScreenshot(covered, QStringLiteral("monitor-switched-on"));
    QVERIFY2(program.isRunning(),
             qPrintable(QStringLiteral("the saver ended when a monitor was switched on\n") + program.standardError()));
    QVERIFY2(problem.isEmpty(),
             qPrintable(QStringLiteral("a monitor switched on is not covered after %1 ms: %2 "
                                       "(%3); %4")
                            .arg(elapsed)
                            .arg(problem, windowsReport(program.processId()), path)));
    qInfo("the new monitor was covered %lld ms after it was switched on", elapsed);
    QVERIFY2(waitForWindowAt(program.processId(), kPrimary),
             qPrintable(QStringLiteral("the main window left the primary monitor when a monitor was switched on; ")
                        + windowsReport(program.processId())));

    endWithKey(program);
}

// With --print-screens, the program is a Qt program on the display in DISPLAY that lists
// its screens, one a line: name x y width height device-pixel-ratio primary|other.
static int printScreens(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    QTextStream out(stdout);
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect geometry = screen->geometry();
        out << screen->name() << ' ' << geometry.x() << ' ' << geometry.y() << ' ' << geometry.width() << ' '
            << geometry.height() << ' ' << screen->devicePixelRatio() << ' '
            << (screen == QGuiApplication::primaryScreen() ? "primary" : "other") << '\n';
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], "--print-screens") == 0)
        return printScreens(argc, argv);
    QCoreApplication application(argc, argv);
    TestSaverOnTwoMonitors test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saver_on_two_monitors.moc"

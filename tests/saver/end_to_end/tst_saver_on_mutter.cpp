#include "HeadlessMutter.h"
#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// The real program on a Wayland session of GNOME's compositor, headless, with two virtual
// monitors side by side: 1024 × 768 (the primary) and 800 × 600 to its right. What it shows
// is read back from the compositor: its monitors from its display configuration, their
// pixels from screen casts of each; pointer moves come in as a remote desktop gives
// them. At 1024 × 768 the photo fills x 124..900, y 101..573.
class TestSaverOnMutter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void coversBothMonitorsWithThePhotoOnTheFirst();
    void endsOnTheFourthMove();

private:
    void start(ProgramProcess &program);
    // Takes frames of the monitor until none shows the problem; the last problem, or empty.
    QString waitForFrame(const QString &connector, const std::function<QString(const QImage &)> &problem);
    QString saveFrame(const QImage &frame, const QString &name);

    HeadlessMutter m_mutter;
    SaverProgramFixture m_saver;
    QTemporaryDir m_frames{QDir::tempPath() + QStringLiteral("/dravik-mutter-XXXXXX")};
};

namespace {

const QString kFirst = QStringLiteral("Meta-0");
const QString kSecond = QStringLiteral("Meta-1");
const QRect kFirstGeometry(0, 0, 1024, 768);
const QRect kSecondGeometry(1024, 0, 800, 600);
// The photo less a few pixels at its edges, where scaling may blend.
const QRect kPhoto(QPoint(128, 105), QPoint(896, 569));
const QColor kPhotoColour(0, 190, 60);
// Generous: a loaded machine and the sanitizer build are slow, and each frame is a process.
constexpr int kFrameTimeoutMs = 20000;
constexpr int kExitTimeoutMs = 15000;

bool inCi()
{
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

// What is wrong with the area of the shot being in one colour; empty when nothing is.
QString colourProblem(const QImage &shot, const QRect &area, const QColor &expected, const QString &what)
{
    return ScreenColours::AreaColourProblem(shot, area, expected, what, 16);
}

QString sizeProblem(const QImage &frame, const QSize &expected)
{
    if (frame.size() == expected)
        return {};
    return QStringLiteral("the frame is %1x%2, not %3x%4")
        .arg(frame.width())
        .arg(frame.height())
        .arg(expected.width())
        .arg(expected.height());
}

// The photo in its place on the first monitor, black around it.
QString firstMonitorProblem(const QImage &frame)
{
    QString problem = sizeProblem(frame, kFirstGeometry.size());
    if (problem.isEmpty())
        problem = colourProblem(frame, kPhoto, kPhotoColour, QStringLiteral("the photo"));
    // Beside and above it: the caption goes below.
    for (const QRect &band : {QRect(0, 0, 1024, 88), QRect(0, 0, 110, 578), QRect(914, 0, 110, 578)}) {
        if (problem.isEmpty())
            problem = colourProblem(frame, band, Qt::black, QStringLiteral("around the photo"));
    }
    return problem;
}

// The second monitor all black.
QString secondMonitorProblem(const QImage &frame)
{
    QString problem = sizeProblem(frame, kSecondGeometry.size());
    if (problem.isEmpty())
        problem = colourProblem(frame, QRect(QPoint(0, 0), kSecondGeometry.size()), Qt::black,
                                QStringLiteral("the second monitor"));
    return problem;
}

} // namespace

void TestSaverOnMutter::initTestCase()
{
    if (const QStringList missing = HeadlessMutter::missingPrograms(); !missing.isEmpty()) {
        const QString why = QStringLiteral("not installed (tools/install-deps.sh): ") + missing.join(QLatin1Char(' '));
        if (inCi())
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }
    QVERIFY2(m_mutter.start({kFirstGeometry.size(), kSecondGeometry.size()}),
             qPrintable(m_mutter.errorString() + QLatin1Char('\n') + m_mutter.logTail()));
    const QList<HeadlessMutter::Monitor> monitors = m_mutter.monitors();
    QCOMPARE(monitors.size(), 2);
    QCOMPARE(monitors.at(0).connector, kFirst);
    QCOMPARE(monitors.at(0).geometry, kFirstGeometry);
    QVERIFY(monitors.at(0).primary);
    QCOMPARE(monitors.at(1).connector, kSecond);
    QCOMPARE(monitors.at(1).geometry, kSecondGeometry);
    QVERIFY(!monitors.at(1).primary);

    m_saver.setUp();
    QVERIFY(TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("57A01.jpg"),
                                 TestPictures::Solid(kPhotoColour, "jpg", QSize(640, 480))));
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

void TestSaverOnMutter::cleanupTestCase()
{
    m_mutter.stop();
}

void TestSaverOnMutter::start(ProgramProcess &program)
{
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Form1 shown"), kFrameTimeoutMs),
             qPrintable(program.standardError()));
}

QString TestSaverOnMutter::saveFrame(const QImage &frame, const QString &name)
{
    // Kept for the failure's reader.
    m_frames.setAutoRemove(false);
    const QString path = m_frames.filePath(name + QStringLiteral(".png"));
    return frame.save(path) ? path : QStringLiteral("(not saved)");
}

QString TestSaverOnMutter::waitForFrame(const QString &connector, const std::function<QString(const QImage &)> &problem)
{
    QString last;
    QImage frame;
    const bool seen = QTest::qWaitFor(
        [&] {
            frame = m_mutter.capture(connector);
            last = frame.isNull() ? m_mutter.errorString() : problem(frame);
            return last.isEmpty();
        },
        kFrameTimeoutMs);
    if (seen)
        return {};
    return last + QStringLiteral(" (the last frame: %1)").arg(saveFrame(frame, connector));
}

void TestSaverOnMutter::coversBothMonitorsWithThePhotoOnTheFirst()
{
    // Before the saver the compositor shows its own backdrop, not black, so a black monitor
    // later is the saver's cover.
    QString problem = waitForFrame(kSecond, [](const QImage &frame) {
        return secondMonitorProblem(frame).isEmpty() ? QStringLiteral("the second monitor is black with no saver")
                                                     : QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    ProgramProcess program(m_mutter.clientEnvironment(m_saver.environment()));
    start(program);
    if (QTest::currentTestFailed())
        return;
    problem = waitForFrame(kFirst, firstMonitorProblem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem + QLatin1Char('\n') + program.standardError()));
    problem = waitForFrame(kSecond, secondMonitorProblem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem + QLatin1Char('\n') + program.standardError()));
    QVERIFY(program.isRunning());
}

void TestSaverOnMutter::endsOnTheFourthMove()
{
    // The pointer rests over the photo, so that each move is one over it.
    QVERIFY2(m_mutter.warpPointer(kFirst, 500, 300), qPrintable(m_mutter.errorString()));
    ProgramProcess program(m_mutter.clientEnvironment(m_saver.environment()));
    start(program);
    if (QTest::currentTestFailed())
        return;
    const QString problem = waitForFrame(kFirst, firstMonitorProblem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    for (int move = 1; move <= 3; ++move) {
        QVERIFY2(m_mutter.movePointer(10, 10), qPrintable(m_mutter.errorString()));
        QVERIFY2(program.waitForStderr(QStringLiteral("Image1MoveCount %1").arg(move)),
                 qPrintable(program.standardError()));
    }
    QVERIFY2(program.isRunning() && !program.standardError().contains(QStringLiteral("EndProgram")),
             qPrintable(QStringLiteral("three moves ended the saver\n") + program.standardError()));
    QVERIFY2(m_mutter.movePointer(10, 10), qPrintable(m_mutter.errorString()));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("the fourth move"), kExitTimeoutMs);
}

QTEST_MAIN(TestSaverOnMutter)
#include "tst_saver_on_mutter.moc"

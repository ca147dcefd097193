#include "HeadlessSway.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

// The real program on a real Wayland compositor: a headless sway with two outputs, where Qt
// takes its Wayland platform. At 1024 × 768 the photo fills x 124..900, y 101..573.
class TestSaverOnSway : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void coversEachOutputAndEndsOn_data();
    void coversEachOutputAndEndsOn();
    void endsOnTheFourthMove();
    void countsTheMoveOntoAnotherOutput_data();
    void countsTheMoveOntoAnotherOutput();
    void hidesThePointerOnEveryOutput_data();
    void hidesThePointerOnEveryOutput();
    void coversAnOutputCreatedWhileItRuns();
    void daemonWindowFallsBackToTheFullScreen_data();
    void daemonWindowFallsBackToTheFullScreen();
    void swayidleStartsIt();

private:
    void startSaver(const QStringList &arguments, const QProcessEnvironment &extra = {});
    // Waits until the saver is full screen on every output named.
    void waitForCovers(const QStringList &outputs, qint64 pid);
    void waitForEnd(int timeoutMs = 20000);
    int moveCountLines();
    // Whether the saver has heard where the pointer is.
    bool pointerArrived();
    // Until the saver hears of the pointer, which sway may not tell it of until it moves.
    void waitForPointerArrival();
    // Starts the saver with the pointer resting at the position (in the layout's pixels).
    void comeToRest(const QPoint &position);
    // Moves the pointer by the commands given, each a move the saver must count and survive.
    void absorbedMoves(const QStringList &commands);

    HeadlessSway m_sway;
    QString m_binary;
    QProcess m_saver;
    QString m_stderr;
    const QRect m_photoArea = QRect(QPoint(128, 105), QPoint(896, 569));
};

void TestSaverOnSway::initTestCase()
{
    if (!m_sway.start(QStringLiteral(DRAVIK_VIRTUAL_POINTER))) {
        // tools/install-deps.sh installs sway and its tools; only a machine without them skips.
        if (qEnvironmentVariable("CI") == QLatin1String("true")
            || !m_sway.errorString().contains(QLatin1String("not installed")))
            QFAIL(qPrintable(m_sway.errorString()));
        QSKIP(qPrintable(m_sway.errorString()));
    }
    const QString photos = m_sway.home() + QStringLiteral("/photos/");
    QVERIFY(QDir().mkpath(photos));
    QVERIFY(TestFiles::WriteFile(photos + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::red, "jpg")));
    QFile settings(m_sway.home() + QStringLiteral("/config/SCRNSAVE: The Dravik Quintavel 2001.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Settings]\nInterval=1\nDraviksDir=" + photos.toUtf8() + '\n');
    settings.close();
    // A copy the user can surely run, wherever the build tree is.
    m_binary = m_sway.home() + QStringLiteral("/Dravik2001.scr");
    QVERIFY(QFile::copy(QStringLiteral(DRAVIK_BINARY), m_binary));
    QVERIFY(m_sway.handOver());
}

void TestSaverOnSway::cleanup()
{
    if (m_saver.state() != QProcess::NotRunning) {
        m_saver.kill();
        m_saver.waitForFinished(5000);
    }
    m_stderr.clear();
    // The new output stays for the rest of the session; the tests after it look at the first two.
}

void TestSaverOnSway::startSaver(const QStringList &arguments, const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = m_sway.environment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("dravik.lifecycle.debug=true"));
    for (const QString &name : extra.keys())
        environment.insert(name, extra.value(name));
    m_saver.setProcessEnvironment(environment);
    const QStringList command = m_sway.asUser(QStringList{m_binary} + arguments);
    m_saver.start(command.constFirst(), command.mid(1));
    QVERIFY(m_saver.waitForStarted(10000));
    waitForCovers({QStringLiteral("HEADLESS-1"), QStringLiteral("HEADLESS-2")}, m_saver.processId());
}

void TestSaverOnSway::waitForCovers(const QStringList &outputs, qint64 pid)
{
    QStringList covered;
    QDeadlineTimer deadline(30000);
    do {
        covered.clear();
        for (const HeadlessSway::FullScreenWindow &window : m_sway.fullScreenWindows()) {
            if (window.pid == pid)
                covered << window.output;
        }
        bool all = true;
        for (const QString &output : outputs)
            all = all && covered.contains(output);
        if (all)
            return;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    QFAIL(qPrintable(QStringLiteral("full screen only on: %1").arg(covered.join(QLatin1Char(' ')))));
}

void TestSaverOnSway::waitForEnd(int timeoutMs)
{
    QVERIFY2(m_saver.waitForFinished(timeoutMs), "the saver still runs");
    m_stderr += QString::fromLocal8Bit(m_saver.readAllStandardError());
    QCOMPARE(m_saver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_saver.exitCode(), 0);
}

int TestSaverOnSway::moveCountLines()
{
    m_stderr += QString::fromLocal8Bit(m_saver.readAllStandardError());
    return int(m_stderr.count(QStringLiteral("MoveCount")));
}

void TestSaverOnSway::coversEachOutputAndEndsOn_data()
{
    QTest::addColumn<bool>("key");
    QTest::newRow("a key") << true;
    QTest::newRow("a press") << false;
}

void TestSaverOnSway::coversEachOutputAndEndsOn()
{
    QFETCH(bool, key);
    startSaver({});
    if (QTest::currentTestFailed())
        return;
    // The photo on the first output, black on the other.
    QImage first;
    QTRY_VERIFY_WITH_TIMEOUT(!(first = m_sway.capture(QStringLiteral("HEADLESS-1"))).isNull()
                                 && ScreenColours::ShareInColour(first, m_photoArea, Qt::red) > 0.98,
                             20000);
    QVERIFY(ScreenColours::ShareInColour(first, QRect(0, 0, 100, 80), Qt::black) > 0.99);
    const QImage second = m_sway.capture(QStringLiteral("HEADLESS-2"));
    QCOMPARE(second.size(), QSize(800, 600));
    QVERIFY(ScreenColours::ShareInColour(second, second.rect(), Qt::black) > 0.99);

    if (key)
        QVERIFY(m_sway.pressKey(QStringLiteral("Escape")));
    else { // the pointer must first be over the saver for the press to reach it
        QVERIFY(m_sway.pointer(QStringLiteral("move-to 40 40")));
        waitForPointerArrival();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(m_sway.pointer(QStringLiteral("press")));
    }
    waitForEnd();
}

void TestSaverOnSway::endsOnTheFourthMove()
{
    // Outside the photo, on the first output: where the pointer comes to rest is no move.
    comeToRest(QPoint(40, 40));
    if (QTest::currentTestFailed())
        return;
    for (int move = 1; move <= 3; ++move) {
        QVERIFY(m_sway.pointer(QStringLiteral("move-by 10 0")));
        QTRY_COMPARE_WITH_TIMEOUT(moveCountLines(), move, 10000);
        QVERIFY2(m_saver.state() != QProcess::NotRunning, "ended before the fourth move");
    }
    QVERIFY(m_sway.pointer(QStringLiteral("move-by 10 0")));
    waitForEnd();
}

void TestSaverOnSway::absorbedMoves(const QStringList &commands)
{
    for (const QString &command : commands) {
        const int before = moveCountLines();
        QVERIFY(m_sway.pointer(command));
        QTRY_COMPARE_WITH_TIMEOUT(moveCountLines(), before + 1, 10000);
        QVERIFY2(m_saver.state() != QProcess::NotRunning, qPrintable(QStringLiteral("ended on: ") + command));
    }
}

bool TestSaverOnSway::pointerArrived()
{
    m_stderr += QString::fromLocal8Bit(m_saver.readAllStandardError());
    return m_stderr.contains(QStringLiteral("the pointer rests at"));
}

void TestSaverOnSway::waitForPointerArrival()
{
    QDeadlineTimer deadline(3000);
    while (!pointerArrived() && !deadline.hasExpired())
        QTest::qWait(50);
    if (!pointerArrived()) {
        QVERIFY(m_sway.pointer(QStringLiteral("move-by 0 1")));
        QTRY_VERIFY_WITH_TIMEOUT(pointerArrived(), 10000);
    }
}

void TestSaverOnSway::comeToRest(const QPoint &position)
{
    // Sway tells the windows that appear under a resting pointer of it now and then only, and
    // a move by nothing mostly does; should neither, the first real move is the arrival, which
    // the saver takes for where the pointer rests.
    QVERIFY(m_sway.pointer(QStringLiteral("move-to %1 %2").arg(position.x()).arg(position.y())));
    startSaver({});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(m_sway.pointer(QStringLiteral("move-by 0 0")));
    waitForPointerArrival();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(moveCountLines(), 0);
}

void TestSaverOnSway::countsTheMoveOntoAnotherOutput_data()
{
    // Between HEADLESS-2 (from 1024 on) and HEADLESS-1, whose black margin right of the photo
    // takes the same counter as the cover. Crossing, the pointer's arrival is the whole move.
    QTest::addColumn<QPoint>("restOn");
    QTest::addColumn<QStringList>("absorbed");
    QTest::addColumn<QString>("fourth");
    QTest::newRow("the fourth move crosses")
        << QPoint(1400, 300)
        << QStringList{QStringLiteral("move-by 10 0"), QStringLiteral("move-by 10 0"), QStringLiteral("move-by 10 0")}
        << QStringLiteral("move-to 1000 300");
    QTest::newRow("crossings among the first three")
        << QPoint(1000, 300)
        << QStringList{QStringLiteral("move-to 1400 300"), QStringLiteral("move-to 960 300"),
                       QStringLiteral("move-to 1400 310")}
        << QStringLiteral("move-by 10 0");
}

void TestSaverOnSway::countsTheMoveOntoAnotherOutput()
{
    QFETCH(QPoint, restOn);
    QFETCH(QStringList, absorbed);
    QFETCH(QString, fourth);
    comeToRest(restOn);
    if (QTest::currentTestFailed())
        return;
    absorbedMoves(absorbed);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(m_sway.pointer(fourth));
    waitForEnd();
}

void TestSaverOnSway::hidesThePointerOnEveryOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("the photo's output, left of the photo") << QStringLiteral("HEADLESS-1") << QPoint(40, 300);
    QTest::newRow("the cover") << QStringLiteral("HEADLESS-2") << QPoint(1424, 300);
}

void TestSaverOnSway::hidesThePointerOnEveryOutput()
{
    QFETCH(QString, output);
    QFETCH(QPoint, position);
    comeToRest(position + QPoint(20, 0));
    if (QTest::currentTestFailed())
        return;
    absorbedMoves({QStringLiteral("move-to %1 %2").arg(position.x()).arg(position.y())});
    if (QTest::currentTestFailed())
        return;
    // Captured with the pointer drawn in, the saver's black all round where it is.
    const QPoint local = position - m_sway.outputs().value(output).topLeft();
    const QRect around(local - QPoint(16, 16), QSize(64, 64));
    QImage shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = m_sway.capture(output, true)).isNull()
                                 && ScreenColours::ShareInColour(shown, around, Qt::black) == 1.0,
                             20000);
    QVERIFY(m_sway.pressKey(QStringLiteral("Escape")));
    waitForEnd();
}

void TestSaverOnSway::coversAnOutputCreatedWhileItRuns()
{
    startSaver({});
    if (QTest::currentTestFailed())
        return;
    const QString added = m_sway.createOutput();
    QVERIFY(!added.isEmpty());
    waitForCovers({added}, m_saver.processId());
    if (QTest::currentTestFailed())
        return;
    QImage third;
    QTRY_VERIFY_WITH_TIMEOUT(!(third = m_sway.capture(added)).isNull()
                                 && ScreenColours::ShareInColour(third, third.rect(), Qt::black) > 0.99,
                             20000);
    QVERIFY(m_sway.pressKey(QStringLiteral("Escape")));
    waitForEnd();
}

void TestSaverOnSway::daemonWindowFallsBackToTheFullScreen_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("daemonWindow");
    QTest::newRow("--root") << QStringList{QStringLiteral("--root")} << QString();
    QTest::newRow("--window-id") << QStringList{QStringLiteral("--window-id"), QStringLiteral("0x400007")} << QString();
    QTest::newRow("$XSCREENSAVER_WINDOW") << QStringList{QStringLiteral("--root")} << QStringLiteral("0x400007");
}

void TestSaverOnSway::daemonWindowFallsBackToTheFullScreen()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, daemonWindow);
    QProcessEnvironment extra;
    if (!daemonWindow.isEmpty())
        extra.insert(QStringLiteral("XSCREENSAVER_WINDOW"), daemonWindow);
    startSaver(arguments, extra);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(m_sway.pressKey(QStringLiteral("Escape")));
    waitForEnd();
    const QStringList warnings = m_stderr.split(QLatin1Char('\n')).filter(QStringLiteral("Dravik2001:"));
    QCOMPARE(warnings,
             QStringList{QStringLiteral("Dravik2001: a Wayland session has no window of another program to "
                                        "draw into; the saver covers the screens.")});
}

void TestSaverOnSway::swayidleStartsIt()
{
    QProcess idle;
    idle.setProcessEnvironment(m_sway.environment());
    const QStringList command = m_sway.asUser(
        {QStringLiteral("swayidle"), QStringLiteral("-w"), QStringLiteral("timeout"), QStringLiteral("2"), m_binary});
    idle.start(command.constFirst(), command.mid(1));
    QVERIFY2(idle.waitForStarted(10000), "swayidle is not installed (tools/install-deps.sh)");
    qint64 saver = 0;
    QDeadlineTimer deadline(30000);
    while (saver == 0 && !deadline.hasExpired()) {
        for (const HeadlessSway::FullScreenWindow &window : m_sway.fullScreenWindows())
            saver = window.pid;
        QTest::qWait(100);
    }
    // swayidle waits for the saver (-w) before it takes a signal, so it is stopped after it.
    const auto stopIdle = qScopeGuard([&idle] {
        idle.terminate();
        if (!idle.waitForFinished(10000)) {
            idle.kill();
            idle.waitForFinished(5000);
        }
    });
    QVERIFY2(saver != 0, "swayidle started no saver");
    waitForCovers({QStringLiteral("HEADLESS-1"), QStringLiteral("HEADLESS-2")}, saver);
    QVERIFY(m_sway.pressKey(QStringLiteral("Escape")));
    QTRY_VERIFY_WITH_TIMEOUT(m_sway.fullScreenWindows().isEmpty(), 20000);
}

QTEST_GUILESS_MAIN(TestSaverOnSway)
#include "tst_saver_on_sway.moc"

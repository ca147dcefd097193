#include "platform/desktop/Geometry.h"
#include "platform/desktop/Timer.h"
#include "platform/runtime/App.h"
#include "platform/runtime/RuntimeError.h"

#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

// The window-layer adapters the windows are built on.
class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void pixelGridKeepsEdgesTogether_data();
    void pixelGridKeepsEdgesTogether();
    void elementKeepsFractionalTwips();
    void elementInsidePanelMovesWithIt();
    void commandLineIsTakenAsReceived_data();
    void commandLineIsTakenAsReceived();
    void timerRefusesNegativeInterval();
    void timerIntervalZeroStopsTicks();
    void timerFirstTickComesOneIntervalAfterArming();
    void runtimeErrorNamesErrorAndSource();
};

void TestPlatform::pixelGridKeepsEdgesTogether_data()
{
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<float>("twipsPerPixel");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("whole pixels") << QRectF(1800, 8160, 3795, 360) << 15.0f << QRect(120, 544, 253, 24);
    QTest::newRow("half pixel rounds up") << QRectF(52.5, 0, 11895, 7335) << 15.0f << QRect(4, 0, 793, 489);
    QTest::newRow("negative left") << QRectF(-120, 0, 11895, 7335) << 15.0f << QRect(-8, 0, 793, 489);
    QTest::newRow("12 twips per pixel") << QRectF(120, 120, 11655, 7095) << 12.0f << QRect(10, 10, 971, 591);
    // Buttons that overlap by 15 twips still overlap by one pixel.
    QTest::newRow("left button") << QRectF(360, 3720, 1815, 375) << 15.0f << QRect(24, 248, 121, 25);
    QTest::newRow("next button") << QRectF(2160, 3720, 1815, 375) << 15.0f << QRect(144, 248, 121, 25);
}

void TestPlatform::pixelGridKeepsEdgesTogether()
{
    QFETCH(QRectF, twips);
    QFETCH(float, twipsPerPixel);
    QFETCH(QRect, pixels);
    QCOMPARE(PixelRectFromTwips(twips, twipsPerPixel), pixels);
}

void TestPlatform::elementKeepsFractionalTwips()
{
    QWidget window;
    QWidget element(&window);
    Element::setGeometry(element, 1800, 8160, 3795, 360);
    Element::setLeft(element, 52.5f);
    QCOMPARE(Element::Left(element), 52.5f);
    QCOMPARE(Element::Top(element), 8160.0f);
    QCOMPARE(Element::Width(element), 3795.0f);
    QCOMPARE(Element::Height(element), 360.0f);
    QCOMPARE(element.geometry(), QRect(4, 544, 253, 24));
    Element::setTop(element, Element::Top(element) + 1400.0f);
    QCOMPARE(Element::Top(element), 9560.0f);
}

void TestPlatform::elementInsidePanelMovesWithIt()
{
    QWidget window;
    window.resize(1024, 768);
    QWidget panel(&window);
    QWidget inner(&panel);
    Element::setGeometry(panel, -120, 0, 11895, 7335);
    Element::setGeometry(inner, 120, 120, 11655, 7095);
    Element::setTop(panel, 1400);
    QCOMPARE(Element::Left(inner), 120.0f); // relative to its container
    QCOMPARE(inner.mapTo(&window, QPoint(0, 0)), QPoint(0, 1400 / 15 + 8));
}

void TestPlatform::commandLineIsTakenAsReceived_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("commandLine");

    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("one") << QStringList{QStringLiteral("/c")} << QStringLiteral("/c");
    QTest::newRow("two") << QStringList{QStringLiteral("/p"), QStringLiteral("123")} << QStringLiteral("/p 123");
    QTest::newRow("blanks kept") << QStringList{QStringLiteral(" /c")} << QStringLiteral(" /c");
    QTest::newRow("case kept") << QStringList{QStringLiteral("/C:99")} << QStringLiteral("/C:99");
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("/s"), QStringLiteral("Å")} << QStringLiteral("/s Å");
}

void TestPlatform::commandLineIsTakenAsReceived()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, commandLine);

    std::vector<QByteArray> storage{QByteArrayLiteral("Dravik2001.scr")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    QCOMPARE(App::commandLineFrom(int(argv.size()), argv.data()), commandLine);
}

void TestPlatform::timerRefusesNegativeInterval()
{
    Timer timer(1000, nullptr);
    try {
        timer.setInterval(-1);
        QFAIL("a negative interval was accepted");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), RuntimeError::InvalidPropertyValue);
    }
    QCOMPARE(timer.Interval(), 1000);
}

void TestPlatform::timerIntervalZeroStopsTicks()
{
    Timer timer(10, nullptr);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.setInterval(0);
    QTest::qWait(100);
    QCOMPARE(ticks.count(), 0);
}

void TestPlatform::timerFirstTickComesOneIntervalAfterArming()
{
    Timer timer(1000, nullptr);
    QSignalSpy ticks(&timer, &Timer::Tick);
    timer.setInterval(400);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(ticks.wait(5000));
    QVERIFY2(clock.elapsed() >= 390, "ticked before one interval had passed");
}

void TestPlatform::runtimeErrorNamesErrorAndSource()
{
    const RuntimeError error(RuntimeError::TypeMismatch, QStringLiteral("GetSetting(\"Interval\")"),
                             QStringLiteral("\"abc\" is not a number"));
    QVERIFY(error.message().contains(QStringLiteral("Type mismatch")));
    QVERIFY(error.message().contains(QStringLiteral("GetSetting(\"Interval\")")));
    QVERIFY(error.message().contains(QStringLiteral("\"abc\" is not a number")));
    QCOMPARE(QString::fromUtf8(error.what()), error.message());
    QCOMPARE(RuntimeError::descriptionOf(RuntimeError::Overflow), QStringLiteral("Overflow"));
    QCOMPARE(RuntimeError::descriptionOf(RuntimeError::InvalidPropertyValue), QStringLiteral("Invalid property value"));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"

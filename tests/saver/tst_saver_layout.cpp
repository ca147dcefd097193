#include "DesignStack.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/SaverLayout.h"

#include <QTest>

#include <vector>

namespace {

ScreenTwips fixedScreen(float width, float height)
{
    return {[width] { return width; }, [height] { return height; }};
}

} // namespace

class TestSaverLayout : public QObject
{
    Q_OBJECT

private slots:
    void screenSizeIs_data();
    void screenSizeIs();
    void screenSizeIsReadsHeightOnlyForAMatchingWidth();
    void screenSizeIsTrapsOverflow();
    void layout_data();
    void layout();
    void eachCentringReadsTheScreenAfresh();
};

void TestSaverLayout::screenSizeIs_data()
{
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("screenHeight");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("expected");

    QTest::newRow("800x600 at 15") << 12000.0f << 9000.0f << 800 << 600 << true;
    QTest::newRow("800x600 at 15 is not 640x480") << 12000.0f << 9000.0f << 640 << 480 << false;
    QTest::newRow("640x480 at 15") << 9600.0f << 7200.0f << 640 << 480 << true;
    QTest::newRow("800x600 at 12 passes as 640x480") << 9600.0f << 7200.0f << 640 << 480 << true;
    QTest::newRow("800x600 at 12 is not 800x600") << 9600.0f << 7200.0f << 800 << 600 << false;
    QTest::newRow("1024x768 at 15") << 15360.0f << 11520.0f << 800 << 600 << false;
    QTest::newRow("1024x768 at 12 is not 800x600") << 12288.0f << 9216.0f << 800 << 600 << false;
    QTest::newRow("width matches, height does not") << 12000.0f << 9600.0f << 800 << 600 << false;
    QTest::newRow("height matches, width does not") << 12015.0f << 9000.0f << 800 << 600 << false;
    QTest::newRow("fractional twips never match") << 12000.5f << 9000.0f << 800 << 600 << false;
}

void TestSaverLayout::screenSizeIs()
{
    QFETCH(float, screenWidth);
    QFETCH(float, screenHeight);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, expected);
    QCOMPARE(ScreenSizeIs(width, height, fixedScreen(screenWidth, screenHeight)), expected);
}

void TestSaverLayout::screenSizeIsReadsHeightOnlyForAMatchingWidth()
{
    int heightReads = 0;
    const ScreenTwips screen{[] { return 15360.0f; },
                             [&heightReads] {
                                 ++heightReads;
                                 return 11520.0f;
                             }};
    QVERIFY(!ScreenSizeIs(800, 600, screen));
    QCOMPARE(heightReads, 0);
    QVERIFY(ScreenSizeIs(1024, 768, screen));
    QCOMPARE(heightReads, 1);
}

void TestSaverLayout::screenSizeIsTrapsOverflow()
{
    const ScreenTwips screen = fixedScreen(12000, 9000);
    for (const auto &[width, height] :
         std::vector<std::pair<qint32, qint32>>{{200'000'000, 600}, {800, -200'000'000}}) {
        try {
            ScreenSizeIs(width, height, screen);
            QFAIL("no overflow raised");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.number(), RuntimeError::Overflow);
        }
    }
    // The largest width that still fits.
    QVERIFY(!ScreenSizeIs(143'165'576, 1, screen));
}

void TestSaverLayout::layout_data()
{
    QTest::addColumn<float>("twipsPerPixel");
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("screenHeight");
    QTest::addColumn<float>("frameLeft");
    QTest::addColumn<float>("frameTop");
    QTest::addColumn<float>("captionLeft");
    QTest::addColumn<float>("captionTop");
    QTest::addColumn<float>("bannerLeft");
    QTest::addColumn<float>("bannerTop");

    QTest::newRow("800x600: no offset, fractional centre")
        << 15.0f << 12000.0f << 9000.0f << 52.5f << 0.0f << 4102.5f << 7335.0f << 1425.0f << 7695.0f;
    QTest::newRow("640x480: frame overhangs both sides")
        << 15.0f << 9600.0f << 7200.0f << -1147.5f << 0.0f << 2902.5f << 7335.0f << 225.0f << 7695.0f;
    QTest::newRow("1024x768: offset moves the whole stack")
        << 15.0f << 15360.0f << 11520.0f << 1732.5f << 1400.0f << 5782.5f << 8735.0f << 3105.0f << 9095.0f;
    QTest::newRow("1280x1024: offset") << 15.0f << 19200.0f << 15360.0f << 3652.5f << 1400.0f << 7702.5f << 8735.0f
                                       << 5025.0f << 9095.0f;
    // Taken for 640 × 480: no offset. The banner keeps its pixels, so it is 7320 twips wide.
    QTest::newRow("800x600 at 12 twips per pixel")
        << 12.0f << 9600.0f << 7200.0f << -1147.5f << 0.0f << 2902.5f << 7335.0f << 1140.0f << 7695.0f;
}

void TestSaverLayout::layout()
{
    QFETCH(float, twipsPerPixel);
    QFETCH(float, screenWidth);
    QFETCH(float, screenHeight);

    SaverStack stack = DesignStack(twipsPerPixel);
    const ScreenTwips screen = fixedScreen(screenWidth, screenHeight);
    OffsetFrameForScreen(stack, screen);
    CentreAndStack(stack, screen);

    QTEST(stack.SSPanel1.left, "frameLeft");
    QTEST(stack.SSPanel1.top, "frameTop");
    QTEST(stack.panYear.left, "captionLeft");
    QTEST(stack.panYear.top, "captionTop");
    QTEST(stack.Image2.left, "bannerLeft");
    QTEST(stack.Image2.top, "bannerTop");

    // Sizes never change, and the stack is flush: caption bar under the frame, banner under it.
    QCOMPARE(stack.SSPanel1.width, 11895.0f);
    QCOMPARE(stack.SSPanel1.height, 7335.0f);
    QCOMPARE(stack.panYear.top, stack.SSPanel1.top + stack.SSPanel1.height);
    QCOMPARE(stack.Image2.top, stack.panYear.top + stack.panYear.height);
}

void TestSaverLayout::eachCentringReadsTheScreenAfresh()
{
    std::vector<float> widths{1000, 2000, 3000};
    size_t reads = 0;
    const ScreenTwips screen{[&] { return widths.at(reads++); }, [] { return 0.0f; }};
    SaverStack stack = DesignStack(15);
    CentreAndStack(stack, screen);
    QCOMPARE(reads, size_t(3));
    QCOMPARE(stack.SSPanel1.left, (1000.0f - 11895.0f) / 2);
    QCOMPARE(stack.panYear.left, (2000.0f - 3795.0f) / 2);
    QCOMPARE(stack.Image2.left, (3000.0f - 9150.0f) / 2);
}

QTEST_GUILESS_MAIN(TestSaverLayout)
#include "tst_saver_layout.moc"

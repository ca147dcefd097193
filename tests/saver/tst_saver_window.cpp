#include "FullScreenForm1.h"
#include "IsolatedUserDirs.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/Timer.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <optional>

// The saver window on the offscreen platform, run once for each screen of kLayouts.
class TestSaverWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void coversThePrimaryScreenAboveOtherWindows();
    void layoutForThisScreen();
    void designLook();
    void interval_data();
    void interval();
    void photoDirectory_data();
    void photoDirectory();

private:
    IsolatedUserDirs m_userDirs;
};

namespace {

const Form1::EndAction kNoEnd = [] { QFAIL("the window ended the program"); };

template <typename T>
T &child(Form1 &form, const char *name)
{
    T *element = form.findChild<T *>(QString::fromLatin1(name));
    if (!element)
        qFatal("no element %s", name);
    return *element;
}

} // namespace

void TestSaverWindow::initTestCase()
{
    m_userDirs.applyToThisProcess();
}

void TestSaverWindow::coversThePrimaryScreenAboveOtherWindows()
{
    StoreSaverSettings(QStringLiteral("0"), std::nullopt);
    FullScreenForm1 form(kNoEnd);
    form.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(form.windowState().testFlag(Qt::WindowFullScreen));
    QCOMPARE(form.geometry(), QGuiApplication::primaryScreen()->geometry());
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(form.autoFillBackground());
    QCOMPARE(QApplication::focusWidget(), &form);

    // The pointer is hidden over the saver while it runs.
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    form.close();
    QVERIFY(!QGuiApplication::overrideCursor());
}

namespace {

// What each screen the test runs on must show: positions in twips (relative to the window)
// and the pixel boxes the windowing layer puts them on.
struct ExpectedLayout
{
    QSize screen;
    float twipsPerPixel;
    float frameLeft, frameTop, captionLeft, captionTop, bannerLeft, bannerTop;
    QRect frame, photo, captionBar, banner;
};

// clang-format off
const ExpectedLayout kLayouts[] = {
    // No offset; the frame's left edge at 52.5 twips, between two pixels.
    {{800, 600}, 15, 52.5f, 0, 4102.5f, 7335, 1425, 7695,
     {4, 0, 793, 489}, {8, 8, 777, 473}, {274, 489, 253, 24}, {95, 513, 610, 76}},
    // No offset; the frame overhangs both sides and the banner is cut off at the bottom.
    {{640, 480}, 15, -1147.5f, 0, 2902.5f, 7335, 225, 7695,
     {-77, 0, 794, 489}, {8, 8, 777, 473}, {194, 489, 253, 24}, {15, 513, 610, 76}},
    // The 1400-twip offset moves the whole stack down.
    {{1024, 768}, 15, 1732.5f, 1400, 5782.5f, 8735, 3105, 9095,
     {116, 93, 793, 489}, {8, 8, 777, 473}, {386, 582, 253, 24}, {207, 606, 610, 76}},
    // 12 twips per pixel: taken for 640 × 480, so no offset, and every twips size is larger
    // in pixels, but for the banner, which keeps its picture's pixels.
    {{800, 600}, 12, -1147.5f, 0, 2902.5f, 7335, 1140, 7695,
     {-96, 0, 992, 611}, {10, 10, 971, 591}, {242, 611, 316, 30}, {95, 641, 610, 76}},
};
// clang-format on

} // namespace

void TestSaverWindow::layoutForThisScreen()
{
    const QSize screenSize = QGuiApplication::primaryScreen()->geometry().size();
    const float twipsPerPixel = Screen().twipsPerPixel();
    const ExpectedLayout *expected = nullptr;
    for (const ExpectedLayout &layout : kLayouts) {
        if (layout.screen == screenSize && layout.twipsPerPixel == twipsPerPixel)
            expected = &layout;
    }
    QVERIFY2(expected, "the test runs on one of the screens its table knows");

    StoreSaverSettings(QStringLiteral("0"), std::nullopt);
    FullScreenForm1 form(kNoEnd);
    form.showModeless();
    form.panYear().setVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    auto &frame = child<Panel3D>(form, "SSPanel1");
    auto &photo = child<ImageElement>(form, "Image1");
    auto &captionBar = child<Panel3D>(form, "panYear");
    auto &banner = child<ImageElement>(form, "Image2");

    QCOMPARE(Element::Left(frame), expected->frameLeft);
    QCOMPARE(Element::Top(frame), expected->frameTop);
    QCOMPARE(Element::Width(frame), 11895.0f);
    QCOMPARE(Element::Height(frame), 7335.0f);
    QCOMPARE(Element::Left(captionBar), expected->captionLeft);
    QCOMPARE(Element::Top(captionBar), expected->captionTop);
    QCOMPARE(Element::Left(banner), expected->bannerLeft);
    QCOMPARE(Element::Top(banner), expected->bannerTop);

    QCOMPARE(frame.geometry(), expected->frame);
    QCOMPARE(photo.parentWidget(), &frame);
    QCOMPARE(photo.geometry(), expected->photo);
    QCOMPARE(captionBar.geometry(), expected->captionBar);
    QCOMPARE(banner.geometry(), expected->banner);

    // What the screen shows: the frame's inset bevel and the photo inside it, in the
    // window's own pixels.
    const QImage shown = form.grab().toImage();
    const qreal ratio = shown.devicePixelRatio();
    const QPoint photoCentre = photo.mapTo(&form, photo.rect().center()) * ratio;
    const QImage &picture = photo.Picture();
    QVERIFY(ScreenColours::IsColour(shown.pixel(photoCentre), picture.pixelColor(picture.rect().center()), 16));
    const QPoint bevelTop = frame.mapTo(&form, QPoint(frame.width() / 2, 2)) * ratio;
    QCOMPARE(shown.pixelColor(bevelTop), QColor(128, 128, 128));
}

void TestSaverWindow::designLook()
{
    StoreSaverSettings(QStringLiteral("0"), std::nullopt);
    FullScreenForm1 form(kNoEnd);
    form.showModeless();

    const auto &frame = child<Panel3D>(form, "SSPanel1");
    QCOMPARE(frame.look().outer, Panel3D::Bevel::Inset);
    QCOMPARE(frame.look().inner, Panel3D::Bevel::None);
    QCOMPARE(frame.look().bevelWidth, 8);
    QCOMPARE(frame.look().background, QColor(Qt::black));

    const auto &photo = child<ImageElement>(form, "Image1");
    QVERIFY(photo.Stretch());
    QCOMPARE(photo.Picture().size(), QSize(776, 470));

    const auto &banner = child<ImageElement>(form, "Image2");
    QVERIFY(!banner.Stretch());
    QCOMPARE(banner.Picture().size(), QSize(606, 72));

    // Hidden until start-up shows it; red bold text on black without any bevel.
    const auto &captionBar = child<Panel3D>(form, "panYear");
    QVERIFY(!captionBar.isVisible());
    QCOMPARE(captionBar.look().foreground, QColor(255, 0, 0));
    QCOMPARE(captionBar.look().background, QColor(Qt::black));
    QCOMPARE(captionBar.look().outer, Panel3D::Bevel::None);
    QCOMPARE(captionBar.look().inner, Panel3D::Bevel::None);
    QCOMPARE(captionBar.look().bevelWidth, 0);
    QCOMPARE(captionBar.look().borderWidth, 0);
    QVERIFY(captionBar.font().bold());
    QCOMPARE(captionBar.font().pointSizeF(), 8.25);
    QCOMPARE(captionBar.Caption().size(), 16);
    QVERIFY(!captionBar.Caption().trimmed().isEmpty());
}

void TestSaverWindow::interval_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<int>("expectedMs");
    QTest::addColumn<int>("error");

    QTest::newRow("5 seconds") << std::optional<QString>(QStringLiteral("5")) << 5000 << 0;
    QTest::newRow("nothing stored") << std::optional<QString>() << 2000 << 0;
    QTest::newRow("0 stops the timer") << std::optional<QString>(QStringLiteral("0")) << 0 << 0;
    QTest::newRow("largest that fits") << std::optional<QString>(QStringLiteral("2147483")) << 2147483000 << 0;
    QTest::newRow("seconds overflow the milliseconds")
        << std::optional<QString>(QStringLiteral("2147484")) << -1 << int(RuntimeError::Overflow);
    QTest::newRow("letters") << std::optional<QString>(QStringLiteral("five")) << -1 << int(RuntimeError::TypeMismatch);
    QTest::newRow("negative, refused by the timer")
        << std::optional<QString>(QStringLiteral("-1")) << -1 << int(RuntimeError::InvalidPropertyValue);
}

void TestSaverWindow::interval()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(int, expectedMs);
    QFETCH(int, error);

    StoreSaverSettings(stored, std::nullopt);
    FullScreenForm1 form(kNoEnd);
    try {
        form.showModeless();
        QCOMPARE(error, 0);
    } catch (const RuntimeError &raised) {
        QCOMPARE(int(raised.number()), error);
        QVERIFY(!form.isVisible());
        return;
    }
    QCOMPARE(child<Timer>(form, "Timer1").Interval(), expectedMs);
    QCOMPARE(qint64(IntervalSeconds) * 1000, qint64(expectedMs));
}

void TestSaverWindow::photoDirectory_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stored unchanged") << std::optional<QString>(QStringLiteral(" /media/cd/DRAVIKS/ "))
                                      << QStringLiteral(" /media/cd/DRAVIKS/ ");
    QTest::newRow("nothing stored") << std::optional<QString>() << QStringLiteral(" ");
}

void TestSaverWindow::photoDirectory()
{
    QFETCH(std::optional<QString>, stored);
    StoreSaverSettings(QStringLiteral("0"), stored);
    FullScreenForm1 form(kNoEnd);
    form.showModeless();
    QTEST(PhotoDir, "expected");
}

QTEST_MAIN(TestSaverWindow)
#include "tst_saver_window.moc"

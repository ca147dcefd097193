#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <memory>

// The real program drawing into another program's window on a real X server (Xvfb,
// 2048 × 1536), as a screen-saver daemon's settings dialog runs it for its preview: an
// xmessage window stands in for the dialog's preview area.
class TestSaverInAWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void previewIsDrawnInsideTheWindowScaledDown();
    void previewInTheDaemonsWindowIsScaledAndCentred();
    void inputOverThePreviewIsLeftAlone();
    void aWindowLargeEnoughShowsTheStackAtItsSizeAndFollowsIt();
    void aResizedWindowShowsWhatAFreshStartThereShows_data();
    void aResizedWindowShowsWhatAFreshStartThereShows();
    void theStackIsWholeAndCentredUnderQtsScaling_data();
    void theStackIsWholeAndCentredUnderQtsScaling();
    void destroyingTheWindowEndsTheSaver();
    void copiesInTwoWindowsRunSideBySide();
    void missingPhotographsAreSaidInThePicture();

private:
    // A window of another program at the given place; its id, or empty.
    QString openHost(const QRect &geometry);
    void startInto(ProgramProcess &program, const QString &window);
    // The program has visible windows, and each lies inside the host: none of its own.
    static void showsOnlyInside(ProgramProcess &program, const QString &host);
    static QColor pixelAt(const QPoint &point);
    // The window's picture once the saver shows its first photo there; null if it never does.
    QImage shownOnceRed(const QRect &geometry);
    void closeHosts();

    SaverProgramFixture m_saver;
    QList<std::shared_ptr<QProcess>> m_hosts;
};

void TestSaverInAWindow::initTestCase()
{
    m_saver.setUp();
    QVERIFY(
        TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("57A01.jpg"), TestPictures::Solid(Qt::red, "jpg")));
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

void TestSaverInAWindow::cleanup()
{
    closeHosts();
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

QString TestSaverInAWindow::openHost(const QRect &geometry)
{
    auto host = std::make_shared<QProcess>();
    const QString title = QStringLiteral("host-%1").arg(m_hosts.size());
    host->start(
        QStringLiteral("xmessage"),
        {QStringLiteral("-title"), title, QStringLiteral("-geometry"),
         QStringLiteral("%1x%2+%3+%4").arg(geometry.width()).arg(geometry.height()).arg(geometry.x()).arg(geometry.y()),
         QStringLiteral("a window of another program")});
    if (!host->waitForStarted(5000))
        return {};
    m_hosts.append(host);
    return XDoTool::waitForWindow(title);
}

void TestSaverInAWindow::startInto(ProgramProcess &program, const QString &window)
{
    QVERIFY(program.start({QStringLiteral("--window-id"), QStringLiteral("0x%1").arg(window.toULongLong(), 0, 16)}));
}

void TestSaverInAWindow::showsOnlyInside(ProgramProcess &program, const QString &host)
{
    const QString windows = XDoTool::run({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--pid"), QString::number(program.processId())});
    QVERIFY(!windows.isEmpty());
    for (const QString &window : windows.split(QLatin1Char('\n')))
        QCOMPARE(XDoTool::parentOf(window), host);
}

void TestSaverInAWindow::closeHosts()
{
    for (const std::shared_ptr<QProcess> &host : std::as_const(m_hosts)) {
        host->kill();
        host->waitForFinished(5000);
    }
    m_hosts.clear();
}

QImage TestSaverInAWindow::shownOnceRed(const QRect &geometry)
{
    // The red photo fills well over a third of the stack at any scale.
    QDeadlineTimer deadline(10000);
    while (ScreenColours::ShareOfScreenInColour(geometry, Qt::red) < 0.35) {
        if (deadline.hasExpired())
            return {};
        QTest::qWait(50);
    }
    return ScreenColours::Grab(geometry);
}

QColor TestSaverInAWindow::pixelAt(const QPoint &point)
{
    const QImage shot = ScreenColours::Grab(QRect(point, QSize(1, 1)));
    return shot.isNull() ? QColor() : shot.pixelColor(0, 0);
}

void TestSaverInAWindow::previewIsDrawnInsideTheWindowScaledDown()
{
    const QString host = openHost(QRect(50, 50, 400, 300));
    QVERIFY(!host.isEmpty());
    const QColor outside = pixelAt(QPoint(700, 600));

    ProgramProcess program(m_saver.userDirs().environment());
    startInto(program, host);
    // The stack as on an 800 × 600 screen at half size: the red photo's middle at about
    // (200, 122) of the preview, the banner below it.
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(QPoint(250, 172)).rgb(), Qt::red), 10000);
    QCOMPARE(pixelAt(QPoint(700, 600)), outside);

    // No window of its own: whatever the saver shows lies inside the host.
    showsOnlyInside(program, host);
    SaverProgramFixture::end(program);
}

// MATE's preferences dialog runs the saver as for the full screen (--root) and hands it its
// 480 × 300 preview area in XSCREENSAVER_WINDOW: not the stack's shape, so the stack, scaled to
// the height as at 400 × 300, sits in the middle with black either side.
void TestSaverInAWindow::previewInTheDaemonsWindowIsScaledAndCentred()
{
    const QRect area(50, 50, 480, 300);
    const QString host = openHost(area);
    QVERIFY(!host.isEmpty());
    QProcessEnvironment environment = m_saver.userDirs().environment();
    environment.insert(QStringLiteral("XSCREENSAVER_WINDOW"), QStringLiteral("0x%1").arg(host.toULongLong(), 0, 16));
    ProgramProcess program(environment);
    QVERIFY(program.start({QStringLiteral("--root")}));

    // The photo spans x 46 to 434 of the area at its middle height, the stack x 40 to 440.
    const auto at = [&](int x, int y) { return pixelAt(area.topLeft() + QPoint(x, y)); };
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(at(240, 122).rgb(), Qt::red), 10000);
    for (const int x : {52, 428})
        QVERIFY2(ScreenColours::IsColour(at(x, 122).rgb(), Qt::red), qPrintable(QString::number(x)));
    for (const int x : {5, 34, 446, 475})
        QVERIFY2(ScreenColours::IsColour(at(x, 122).rgb(), Qt::black, 8), qPrintable(QString::number(x)));
    QVERIFY(!ScreenColours::IsColour(at(240, 280).rgb(), Qt::red));

    showsOnlyInside(program, host);
    SaverProgramFixture::end(program);
}

void TestSaverInAWindow::inputOverThePreviewIsLeftAlone()
{
    const QString host = openHost(QRect(50, 50, 400, 300));
    ProgramProcess program(m_saver.userDirs().environment());
    startInto(program, host);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(QPoint(250, 172)).rgb(), Qt::red), 10000);

    for (int i = 0; i < 8; ++i)
        QVERIFY(XDoTool::mouseMove(100 + 30 * i, 100 + 20 * i));
    QVERIFY(XDoTool::click(1));
    QVERIFY(XDoTool::key(QStringLiteral("space")));
    QTest::qWait(1000);
    QVERIFY2(program.isRunning(), qPrintable(program.standardError()));
}

void TestSaverInAWindow::aWindowLargeEnoughShowsTheStackAtItsSizeAndFollowsIt()
{
    // 900 × 680 holds the whole stack: it is laid out for that size, unscaled, 1400 twips
    // down, the photo from x 62 to 838 of the window.
    const QRect geometry(10, 10, 900, 680);
    const QString host = openHost(geometry);
    ProgramProcess program(m_saver.userDirs().environment());
    startInto(program, host);
    const QPoint nearLeftEdge = geometry.topLeft() + QPoint(70, 300);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(nearLeftEdge).rgb(), Qt::red), 10000);
    QVERIFY(!ScreenColours::IsColour(pixelAt(geometry.topLeft() + QPoint(450, 60)).rgb(), Qt::red));

    // Wider: the stack is centred anew, so the photo now starts at x 112.
    bool resized = false;
    XDoTool::run({QStringLiteral("windowsize"), host, QStringLiteral("1000"), QStringLiteral("680")}, &resized);
    QVERIFY(resized);
    QTRY_VERIFY_WITH_TIMEOUT(!ScreenColours::IsColour(pixelAt(nearLeftEdge).rgb(), Qt::red), 5000);
    // The move may reach the screen in more than one paint.
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(geometry.topLeft() + QPoint(120, 300)).rgb(), Qt::red),
                             5000);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(geometry.topLeft() + QPoint(880, 300)).rgb(), Qt::red),
                             5000);
    QVERIFY(program.isRunning());
}

namespace {

// How much of two pictures of one size differs by more than scaling and JPEG colours do.
double shareThatDiffers(const QImage &one, const QImage &other)
{
    if (one.size() != other.size() || one.isNull())
        return 1.0;
    int differing = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x)
            differing += ScreenColours::IsColour(one.pixel(x, y), other.pixelColor(x, y), 48) ? 0 : 1;
    }
    return double(differing) / (one.width() * one.height());
}

} // namespace

void TestSaverInAWindow::aResizedWindowShowsWhatAFreshStartThereShows_data()
{
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    // 800 × 600 holds the stack unscaled; 640 × 480 and 400 × 300 take the scaled preview,
    // 900 × 680 the stack unscaled again.
    QTest::newRow("800x600 to 640x480") << QSize(800, 600) << QSize(640, 480);
    QTest::newRow("800x600 to 400x300") << QSize(800, 600) << QSize(400, 300);
    QTest::newRow("400x300 to 900x680") << QSize(400, 300) << QSize(900, 680);
    QTest::newRow("400x300 to 640x480") << QSize(400, 300) << QSize(640, 480);
}

void TestSaverInAWindow::aResizedWindowShowsWhatAFreshStartThereShows()
{
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    const QPoint place(20, 20);
    const QRect resized(place, to);

    QImage freshStart;
    {
        const QString host = openHost(resized);
        QVERIFY(!host.isEmpty());
        ProgramProcess program(m_saver.userDirs().environment());
        startInto(program, host);
        freshStart = shownOnceRed(resized);
        QVERIFY2(!freshStart.isNull(), qPrintable(program.standardError()));
        SaverProgramFixture::end(program);
        closeHosts();
    }

    const QString host = openHost(QRect(place, from));
    QVERIFY(!host.isEmpty());
    ProgramProcess program(m_saver.userDirs().environment());
    startInto(program, host);
    QVERIFY2(!shownOnceRed(QRect(place, from)).isNull(), qPrintable(program.standardError()));
    bool done = false;
    XDoTool::run({QStringLiteral("windowsize"), host, QString::number(to.width()), QString::number(to.height())},
                 &done);
    QVERIFY(done);

    const auto differing = [&] { return shareThatDiffers(ScreenColours::Grab(resized), freshStart); };
    QTRY_VERIFY2_WITH_TIMEOUT(
        differing() < 0.01,
        qPrintable(QStringLiteral("%1 of the picture differs from a fresh start's").arg(differing())), 10000);
    QVERIFY(program.isRunning());
    SaverProgramFixture::end(program);
}

namespace {

// The box around everything that is not black in the picture.
QRect shownBox(const QImage &shot)
{
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!ScreenColours::IsColour(shot.pixel(x, y), Qt::black, 12))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

void TestSaverInAWindow::theStackIsWholeAndCentredUnderQtsScaling_data()
{
    QTest::addColumn<QString>("scaling");
    QTest::addColumn<QRect>("host"); // null: the root window
    QTest::addColumn<QSize>("resizedTo");
    QTest::addColumn<QSize>("stack");
    // The X server measures the host in device pixels, Qt the saver in logical ones. At a
    // ratio of 2 the stack (793 × 589) spans 1586 × 1178 device pixels, give or take one;
    // in a 1024 × 768 window, too small for it, the preview shows it as on an 800 × 600 screen
    // scaled into 512 × 384 logical pixels: 1015 × 754.
    const QSize whole(1586, 1178);
    const QSize preview(1015, 754);
    QTest::newRow("root window, QT_SCALE_FACTOR=2") << "QT_SCALE_FACTOR=2" << QRect() << QSize() << whole;
    QTest::newRow("daemon's window, QT_SCREEN_SCALE_FACTORS=2")
        << "QT_SCREEN_SCALE_FACTORS=2" << QRect(200, 100, 1600, 1200) << QSize() << whole;
    QTest::newRow("preview, QT_SCALE_FACTOR=2")
        << "QT_SCALE_FACTOR=2" << QRect(100, 100, 1024, 768) << QSize() << preview;
    QTest::newRow("shrunk to a preview, QT_SCALE_FACTOR=2")
        << "QT_SCALE_FACTOR=2" << QRect(100, 100, 1600, 1200) << QSize(1024, 768) << preview;
}

void TestSaverInAWindow::theStackIsWholeAndCentredUnderQtsScaling()
{
    QFETCH(QString, scaling);
    QFETCH(QRect, host);
    QFETCH(QSize, resizedTo);
    QFETCH(QSize, stack);

    QProcessEnvironment environment = m_saver.userDirs().environment();
    environment.insert(scaling.section(QLatin1Char('='), 0, 0), scaling.section(QLatin1Char('='), 1));
    QString window;
    if (!host.isNull()) {
        window = openHost(host);
        QVERIFY(!window.isEmpty());
        host = XDoTool::windowGeometry(window); // inside its border
        environment.insert(QStringLiteral("XSCREENSAVER_WINDOW"),
                           QStringLiteral("0x%1").arg(window.toULongLong(), 0, 16));
    } else {
        host = QGuiApplication::primaryScreen()->geometry();
    }
    ProgramProcess program(environment);
    QVERIFY(program.start({QStringLiteral("--root")}));
    QVERIFY2(!shownOnceRed(host).isNull(), qPrintable(program.standardError()));
    if (resizedTo.isValid()) {
        bool done = false;
        XDoTool::run({QStringLiteral("windowsize"), window, QString::number(resizedTo.width()),
                      QString::number(resizedTo.height())},
                     &done);
        QVERIFY(done);
        host.setSize(resizedTo);
    }

    // Whole: the size of the stack, not cut off at the host's edge; centred: as much black to
    // its left as to its right, but for the rounding to whole logical pixels.
    const auto problem = [&] {
        const QRect box = shownBox(ScreenColours::Grab(host));
        const int leftOver = box.left() - (host.width() - 1 - box.right());
        if (qAbs(box.width() - stack.width()) > 2 || qAbs(box.height() - stack.height()) > 2 || qAbs(leftOver) > 4)
            return QStringLiteral("%1 × %2 shown at (%3, %4) of %5 × %6")
                .arg(box.width())
                .arg(box.height())
                .arg(box.x())
                .arg(box.y())
                .arg(host.width())
                .arg(host.height());
        return QString();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(problem().isEmpty(), qPrintable(problem()), 10000);
    SaverProgramFixture::end(program);
}

void TestSaverInAWindow::destroyingTheWindowEndsTheSaver()
{
    const QString host = openHost(QRect(50, 50, 400, 300));
    ProgramProcess program(m_saver.userDirs().environment());
    startInto(program, host);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(QPoint(250, 172)).rgb(), Qt::red), 10000);

    m_hosts.constLast()->kill();
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("its window was destroyed"));
}

void TestSaverInAWindow::copiesInTwoWindowsRunSideBySide()
{
    const QString left = openHost(QRect(20, 400, 400, 300));
    const QString right = openHost(QRect(520, 400, 400, 300));
    ProgramProcess first(m_saver.userDirs().environment());
    ProgramProcess second(m_saver.userDirs().environment());
    startInto(first, left);
    startInto(second, right);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(QPoint(220, 522)).rgb(), Qt::red), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::IsColour(pixelAt(QPoint(720, 522)).rgb(), Qt::red), 10000);
    QVERIFY(first.isRunning());
    QVERIFY(second.isRunning());

    // They hold no lock, so the full-screen saver still starts beside them.
    ProgramProcess fullScreen(m_saver.environment());
    SaverProgramFixture::start(fullScreen);
    SaverProgramFixture::end(fullScreen);
}

void TestSaverInAWindow::missingPhotographsAreSaidInThePicture()
{
    StoreSaverSettings(QStringLiteral("1"), m_saver.root() + QStringLiteral("/no such directory/"));
    const QString host = openHost(QRect(50, 50, 400, 300));
    ProgramProcess program(m_saver.environment());
    startInto(program, host);
    QVERIFY2(program.waitForStderr(QStringLiteral("Timer1_Timer failed")), qPrintable(program.standardError()));
    QVERIFY(program.waitForStderr(QStringLiteral("Timer1_Timer failed"), 3000));

    // The notice's dark grey box over the middle of the preview, and no message box anywhere.
    QTRY_VERIFY_WITH_TIMEOUT(
        ScreenColours::ShareOfScreenInColour(QRect(220, 185, 60, 30), QColor(48, 48, 48), 12) > 0.5, 5000);
    QVERIFY(XDoTool::waitForWindow(QStringLiteral("The Dravik Quintavel Screen Saver"), 1500).isEmpty());
    QVERIFY(program.isRunning());
}

QTEST_MAIN(TestSaverInAWindow)
#include "tst_saver_in_a_window.moc"

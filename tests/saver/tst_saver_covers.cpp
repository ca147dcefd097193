#include "FullScreenForm1.h"
#include "IsolatedUserDirs.h"
#include "SaverSettings.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/ElementPlacement.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

// The saver window on a desktop of several screens (the offscreen platform, configured with
// two or three screens): every screen but the primary gets a black cover that belongs to the
// window's surface, and the covers follow screens plugged in and taken away.
class TestSaverCovers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyOtherScreenIsCovered();
    void coversFollowTheirScreensScale();
    void keysAndPressesOnACoverEnd_data();
    void keysAndPressesOnACoverEnd();
    void movesOnACoverCountAsMovesOnTheWindow();
    void movesWithoutMovementOnACoverDoNotCount();
    void screenPluggedInIsCoveredAndTakenAwayLosesItsCover();
    void lostPrimaryTakesTheSaverToTheNextScreen();
    void closingTheWindowTakesTheCoversAway();

private:
    static QList<QWidget *> covers();
    static QWidget *coverOn(const QScreen *screen);
    static QJsonObject configuration();
    static void configure(const QJsonObject &configuration);
    static QJsonObject withScreens(const QJsonArray &screens);
    void show();

    IsolatedUserDirs m_userDirs;
    QJsonObject m_initialConfiguration;
    Form1 *m_form = nullptr;
    int m_ends = 0;
};

void TestSaverCovers::initTestCase()
{
    QVERIFY2(QGuiApplication::screens().size() >= 2, "needs the offscreen platform with several screens");
    m_userDirs.applyToThisProcess();
    StoreSaverSettings(QStringLiteral("0"), std::nullopt);
    m_initialConfiguration = configuration();
}

void TestSaverCovers::init()
{
    m_ends = 0;
    m_form = new FullScreenForm1([this] { ++m_ends; });
}

void TestSaverCovers::cleanup()
{
    delete m_form;
    m_form = nullptr;
    configure(m_initialConfiguration);
}

QList<QWidget *> TestSaverCovers::covers()
{
    QList<QWidget *> visible;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("CoverWindow") && window->isVisible())
            visible.append(window);
    }
    return visible;
}

QWidget *TestSaverCovers::coverOn(const QScreen *screen)
{
    for (QWidget *cover : covers()) {
        if (cover->screen() == screen && cover->geometry() == screen->geometry())
            return cover;
    }
    return nullptr;
}

// The offscreen platform takes a new screen configuration at run time, as if monitors were
// plugged in or taken away. It orders screens by name, the first being the primary.
QJsonObject TestSaverCovers::configuration()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    using Get = QJsonObject (*)(QPlatformNativeInterface *);
    auto get = reinterpret_cast<Get>(native->nativeResourceForIntegration("configuration"));
    return get ? get(native) : QJsonObject();
}

void TestSaverCovers::configure(const QJsonObject &configuration)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    using Set = void (*)(const QJsonObject &, QPlatformNativeInterface *);
    auto set = reinterpret_cast<Set>(native->nativeResourceForIntegration("setConfiguration"));
    QVERIFY(set);
    set(configuration, native);
}

QJsonObject TestSaverCovers::withScreens(const QJsonArray &screens)
{
    QJsonObject changed = configuration();
    changed[QStringLiteral("screens")] = screens;
    return changed;
}

void TestSaverCovers::show()
{
    m_form->showModeless();
    m_form->panYear().setVisible(true); // as start-up does
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestSaverCovers::everyOtherScreenIsCovered()
{
    show();
    const QList<QScreen *> screens = QGuiApplication::screens();
    QCOMPARE(m_form->geometry(), QGuiApplication::primaryScreen()->geometry());
    QCOMPARE(covers().size(), screens.size() - 1);
    for (const QScreen *screen : screens) {
        if (screen != QGuiApplication::primaryScreen())
            QVERIFY2(coverOn(screen), qPrintable(screen->name()));
    }
    // A cover shows nothing but black, and the photo stays where the primary's layout put it.
    const QImage shown = covers().constFirst()->grab().toImage();
    QCOMPARE(shown.pixelColor(shown.rect().center()), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(m_form->findChild<QWidget *>(QStringLiteral("Image1"))->mapTo(m_form, QPoint()), QPoint(124, 101));
}

void TestSaverCovers::coversFollowTheirScreensScale()
{
    show();
    for (const QWidget *cover : covers())
        QCOMPARE(cover->devicePixelRatioF(), cover->screen()->devicePixelRatio());
    QCOMPARE(m_form->devicePixelRatioF(), QGuiApplication::primaryScreen()->devicePixelRatio());
}

void TestSaverCovers::keysAndPressesOnACoverEnd_data()
{
    QTest::addColumn<bool>("key");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("a key") << true << Qt::NoButton;
    QTest::newRow("left press") << false << Qt::LeftButton;
    QTest::newRow("right press") << false << Qt::RightButton;
}

void TestSaverCovers::keysAndPressesOnACoverEnd()
{
    QFETCH(bool, key);
    QFETCH(Qt::MouseButton, button);
    show();
    QWindow *cover = covers().constLast()->windowHandle();
    if (key)
        QTest::keyClick(cover, Qt::Key_Tab);
    else
        QTest::mousePress(cover, button, Qt::NoModifier, QPoint(300, 200));
    QCOMPARE(m_ends, 1);
}

void TestSaverCovers::movesOnACoverCountAsMovesOnTheWindow()
{
    show();
    QWindow *cover = covers().constFirst()->windowHandle();
    QTest::mouseMove(m_form->windowHandle(), QPoint(20, 740));
    QCOMPARE(m_form->FormMoveCount(), qint16(1));
    QTest::mouseMove(cover, QPoint(110, 100));
    QCOMPARE(m_form->FormMoveCount(), qint16(2));
    QTest::mouseMove(m_form->windowHandle(), QPoint(30, 740));
    QCOMPARE(m_form->FormMoveCount(), qint16(3));
    QCOMPARE(m_ends, 0);
    QTest::mouseMove(cover, QPoint(200, 100));
    QCOMPARE(m_ends, 1);
}

void TestSaverCovers::movesWithoutMovementOnACoverDoNotCount()
{
    show();
    QWindow *cover = covers().constFirst()->windowHandle();
    QTest::mouseMove(cover, QPoint(100, 100));
    const qint16 afterFirst = m_form->FormMoveCount();
    for (int i = 0; i < 5; ++i)
        QTest::mouseMove(cover, QPoint(100, 100));
    QCOMPARE(m_form->FormMoveCount(), afterFirst);
    QCOMPARE(m_ends, 0);
}

void TestSaverCovers::screenPluggedInIsCoveredAndTakenAwayLosesItsCover()
{
    show();
    const QPoint photo = m_form->findChild<QWidget *>(QStringLiteral("Image1"))->mapTo(m_form, QPoint());
    const int coversBefore = int(covers().size());
    QJsonArray screens = m_initialConfiguration[QStringLiteral("screens")].toArray();
    screens.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("screen4-plugged-in-640x480")},
                               {QStringLiteral("x"), 0},
                               {QStringLiteral("y"), 768},
                               {QStringLiteral("width"), 640},
                               {QStringLiteral("height"), 480}});
    configure(withScreens(screens));

    QScreen *pluggedIn = QGuiApplication::screens().constLast();
    QCOMPARE(pluggedIn->name(), QStringLiteral("screen4-plugged-in-640x480"));
    QTRY_VERIFY_WITH_TIMEOUT(coverOn(pluggedIn), 1000);
    QCOMPARE(covers().size(), coversBefore + 1);

    screens.removeLast();
    configure(withScreens(screens));
    QTRY_COMPARE_WITH_TIMEOUT(covers().size(), coversBefore, 1000);
    // The primary's layout is computed once, at load.
    QCOMPARE(m_form->findChild<QWidget *>(QStringLiteral("Image1"))->mapTo(m_form, QPoint()), photo);
    QCOMPARE(m_ends, 0);
}

void TestSaverCovers::lostPrimaryTakesTheSaverToTheNextScreen()
{
    show();
    QJsonArray screens = m_initialConfiguration[QStringLiteral("screens")].toArray();
    screens.removeFirst();
    configure(withScreens(screens));

    // The 800 × 600 screen is primary now: the saver covers it, laid out as for that size.
    QScreen *primary = QGuiApplication::primaryScreen();
    QCOMPARE(primary->name(), QStringLiteral("screen2-800x600"));
    QTRY_COMPARE_WITH_TIMEOUT(m_form->geometry(), primary->geometry(), 1000);
    QCOMPARE(coverOn(primary), nullptr);
    QCOMPARE(covers().size(), QGuiApplication::screens().size() - 1);
    const auto *frame = m_form->findChild<QWidget *>(QStringLiteral("SSPanel1"));
    QCOMPARE(Element::Left(*frame), 52.5f);
    QCOMPARE(Element::Top(*frame), 0.0f);
    QCOMPARE(m_ends, 0);
}

void TestSaverCovers::closingTheWindowTakesTheCoversAway()
{
    show();
    QVERIFY(!covers().isEmpty());
    m_form->close();
    QVERIFY(covers().isEmpty());
}

QTEST_MAIN(TestSaverCovers)
#include "tst_saver_covers.moc"

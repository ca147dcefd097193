#include "FullScreenForm1.h"
#include "IsolatedUserDirs.h"
#include "SaverSettings.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/Timer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTest>
#include <QWindow>

namespace {

QStringList lifecycleLines;
QtMessageHandler previousHandler = nullptr;

void recordLifecycle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "dravik.lifecycle") == 0)
        lifecycleLines << message;
    else if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

// Input on the real window, delivered through the window system so that the element under
// the pointer receives it. The end action only counts here; in the program it ends it.
class TestSaverDismissal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fourthMoveOnTheSameElementEnds_data();
    void fourthMoveOnTheSameElementEnds();
    void movesWithoutMovementDoNotCount();
    void windowAppearingUnderARestingPointerStaysUp();
    void inputOverFrameCaptionBarAndBannerIsIgnored();
    void hiddenCaptionBarIsWindowSurface();
    void pressesEnd_data();
    void pressesEnd();
    void keysEnd_data();
    void keysEnd();
    void closingByOtherMeansRestoresTheCursorTwice();

private:
    void show();
    QWindow *window() const { return m_form->windowHandle(); }
    QPoint at(const char *element, QPoint offset) const;
    void moveTo(QPoint position) { QTest::mouseMove(window(), position); }

    IsolatedUserDirs m_userDirs;
    Form1 *m_form = nullptr;
    int m_ends = 0;
};

void TestSaverDismissal::initTestCase()
{
    m_userDirs.applyToThisProcess();
    StoreSaverSettings(QStringLiteral("0"), std::nullopt);
}

void TestSaverDismissal::init()
{
    m_ends = 0;
    m_form = new FullScreenForm1([this] { ++m_ends; });
}

void TestSaverDismissal::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestSaverDismissal::show()
{
    m_form->showModeless();
    m_form->panYear().setVisible(true); // as start-up does
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

// A point on an element, in window coordinates, offset from the element's top left.
QPoint TestSaverDismissal::at(const char *element, QPoint offset) const
{
    if (qstrcmp(element, "Form1") == 0)
        return offset;
    const auto *widget = m_form->findChild<QWidget *>(QString::fromLatin1(element));
    return widget->mapTo(m_form, offset);
}

void TestSaverDismissal::fourthMoveOnTheSameElementEnds_data()
{
    QTest::addColumn<QByteArray>("fourthOn");
    QTest::newRow("window surface") << QByteArray("Form1");
    QTest::newRow("photo") << QByteArray("Image1");
}

void TestSaverDismissal::fourthMoveOnTheSameElementEnds()
{
    QFETCH(QByteArray, fourthOn);
    show();
    // Three on the bare surface left of the banner, three on the photo.
    for (int i = 0; i < 3; ++i)
        moveTo(at("Form1", QPoint(20 + i * 10, 560)));
    QCOMPARE(m_form->FormMoveCount(), qint16(3));
    QCOMPARE(m_form->Image1MoveCount(), qint16(0));
    for (int i = 0; i < 3; ++i)
        moveTo(at("Image1", QPoint(100 + i * 10, 100)));
    QCOMPARE(m_form->Image1MoveCount(), qint16(3));
    QCOMPARE(m_form->FormMoveCount(), qint16(3));
    QCOMPARE(m_ends, 0);

    moveTo(fourthOn == "Form1" ? at("Form1", QPoint(60, 560)) : at("Image1", QPoint(200, 200)));
    QCOMPARE(m_ends, 1);
}

void TestSaverDismissal::movesWithoutMovementDoNotCount()
{
    show();
    const QPoint photo = at("Image1", QPoint(300, 200));
    for (int i = 0; i < 6; ++i)
        moveTo(photo);
    QCOMPARE(m_form->Image1MoveCount(), qint16(1));
    // The same screen position seen by the window surface is no movement either.
    moveTo(at("Form1", QPoint(30, 570)));
    moveTo(at("Form1", QPoint(30, 570)));
    QCOMPARE(m_form->FormMoveCount(), qint16(1));
    QCOMPARE(m_ends, 0);
}

void TestSaverDismissal::windowAppearingUnderARestingPointerStaysUp()
{
    const QPoint resting(400, 250); // over the photo once the window is up
    QCursor::setPos(resting);
    show();
    QTest::qWait(200);
    // What X11 sends when a window maps under the pointer, or when an element under it
    // changes: move events at the unchanged position.
    for (int i = 0; i < 5; ++i) {
        QCursor::setPos(resting);
        moveTo(m_form->mapFromGlobal(resting));
    }
    QCOMPARE(m_form->Image1MoveCount(), qint16(0));
    QCOMPARE(m_form->FormMoveCount(), qint16(0));
    QCOMPARE(m_ends, 0);
}

void TestSaverDismissal::inputOverFrameCaptionBarAndBannerIsIgnored()
{
    show();
    const QList<QPoint> ignored{
        at("SSPanel1", QPoint(3, 100)),   at("SSPanel1", QPoint(4, 200)), at("SSPanel1", QPoint(300, 2)),
        at("SSPanel1", QPoint(789, 300)), at("panYear", QPoint(10, 10)),  at("panYear", QPoint(120, 12)),
        at("panYear", QPoint(240, 20)),   at("Image2", QPoint(1, 1)),     at("Image2", QPoint(300, 40)),
        at("Image2", QPoint(600, 70)),    at("Image2", QPoint(305, 38)),  at("panYear", QPoint(130, 5)),
    };
    for (int round = 0; round < 3; ++round) {
        for (const QPoint &point : ignored)
            moveTo(point);
    }
    for (const QPoint &point : ignored) {
        QTest::mousePress(window(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, point);
    }
    QCOMPARE(m_form->FormMoveCount(), qint16(0));
    QCOMPARE(m_form->Image1MoveCount(), qint16(0));
    QCOMPARE(m_ends, 0);
}

void TestSaverDismissal::hiddenCaptionBarIsWindowSurface()
{
    m_form->showModeless(); // start-up has not shown the caption bar yet
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    moveTo(at("panYear", QPoint(120, 12)));
    QCOMPARE(m_form->FormMoveCount(), qint16(1));
    QTest::mousePress(window(), Qt::LeftButton, {}, at("panYear", QPoint(120, 12)));
    QCOMPARE(m_ends, 1);
}

void TestSaverDismissal::pressesEnd_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("left on the surface") << QByteArray("Form1") << Qt::LeftButton << Qt::KeyboardModifiers();
    QTest::newRow("right on the surface, Ctrl")
        << QByteArray("Form1") << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("left on the photo") << QByteArray("Image1") << Qt::LeftButton << Qt::KeyboardModifiers();
    QTest::newRow("middle on the photo, Shift")
        << QByteArray("Image1") << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void TestSaverDismissal::pressesEnd()
{
    QFETCH(QByteArray, element);
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    show();
    const QPoint point = element == "Form1" ? QPoint(780, 590) : at("Image1", QPoint(50, 50));
    QTest::mousePress(window(), button, modifiers, point);
    // At the press, before any release or click.
    QCOMPARE(m_ends, 1);
    QTest::mouseRelease(window(), button, modifiers, point);
}

void TestSaverDismissal::keysEnd_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("letter") << Qt::Key_A << Qt::KeyboardModifiers();
    QTest::newRow("Escape") << Qt::Key_Escape << Qt::KeyboardModifiers();
    QTest::newRow("Tab") << Qt::Key_Tab << Qt::KeyboardModifiers();
    QTest::newRow("Shift alone") << Qt::Key_Shift << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Alt+F1") << Qt::Key_F1 << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier);
    QTest::newRow("Space with Shift") << Qt::Key_Space << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void TestSaverDismissal::keysEnd()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    show();
    // One key-down event, with the modifiers already held.
    QTest::simulateEvent(window(), true, key, modifiers, QString(), false);
    QCOMPARE(m_ends, 1);
}

void TestSaverDismissal::closingByOtherMeansRestoresTheCursorTwice()
{
    show();
    QVERIFY(QGuiApplication::overrideCursor());

    QLoggingCategory::setFilterRules(QStringLiteral("dravik.lifecycle.debug=true"));
    lifecycleLines.clear();
    previousHandler = qInstallMessageHandler(recordLifecycle);
    const bool closed = m_form->close();
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());

    QVERIFY(closed);
    QCOMPARE(m_ends, 0);
    QCOMPARE(lifecycleLines.size(), 4);
    QCOMPARE(lifecycleLines.at(0), QStringLiteral("Form_QueryUnload"));
    QVERIFY(lifecycleLines.at(1).startsWith(QStringLiteral("RestoreCursor: display count ")));
    QCOMPARE(lifecycleLines.at(2), QStringLiteral("Form_Unload"));
    const int first = lifecycleLines.at(1).section(QLatin1Char(' '), -1).toInt();
    QVERIFY(first >= 1);
    QCOMPARE(lifecycleLines.at(3), QStringLiteral("RestoreCursor: display count %1").arg(first + 1));

    // The pointer is visible again and the closed window shows no more photos.
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(m_form->findChild<Timer *>(QStringLiteral("Timer1"))->Interval(), 0);
}

QTEST_MAIN(TestSaverDismissal)
#include "tst_saver_dismissal.moc"

#include "IsolatedUserDirs.h"
#include "platform/desktop/ShowCursor.h"
#include "platform/process/ProgramEnd.h"
#include "platform/runtime/App.h"
#include "settings/ProgramSettings.h"
#include "startup/Module1.h"

#include <QApplication>
#include <QPointer>
#include <QtTest>

// Which window the command line chooses, and what start-up prepares for it.
class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void choosesWindowFromCommandLine_data();
    void choosesWindowFromCommandLine();
    void settingsModeStartsAtOneSecondWhateverWasStored();
    void captionBarBecomesVisibleOnlyAfterTheShow();
    void restoreCursorRaisesCountUntilShown_data();
    void restoreCursorRaisesCountUntilShown();
    void pointerIsHiddenExactlyWhileCountIsNegative();

private:
    static QWidget *shownWindow(const QString &name);
    static void setCursorCount(int target);

    IsolatedUserDirs m_dirs;
};

// Records whether panYear was visible at the moment Form1 was shown.
class ShowWatcher : public QObject
{
public:
    bool sawForm1Shown = false;
    bool captionVisibleAtShow = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("Form1")) {
            sawForm1Shown = true;
            const auto *caption = watched->findChild<QWidget *>(QStringLiteral("panYear"));
            captionVisibleAtShow = caption && caption->isVisible();
        }
        return false;
    }
};

void TestMain::init()
{
    m_dirs.applyToThisProcess();
}

void TestMain::cleanup()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        delete window;
}

QWidget *TestMain::shownWindow(const QString &name)
{
    QWidget *found = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name && window->isVisible())
            found = window;
    }
    return found;
}

void TestMain::setCursorCount(int target)
{
    int count = ShowCursor(0);
    while (count < target)
        count = ShowCursor(-1);
    while (count > target)
        count = ShowCursor(0);
}

void TestMain::choosesWindowFromCommandLine_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("settingsMode");

    QTest::newRow("/c") << QStringLiteral("/c") << true;
    QTest::newRow("/c:1234") << QStringLiteral("/c:1234") << true;
    QTest::newRow("/c with more") << QStringLiteral("/cabc def") << true;
    QTest::newRow("/C upper case") << QStringLiteral("/C") << false;
    QTest::newRow("blank before /c") << QStringLiteral(" /c") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("/s") << QStringLiteral("/s") << false;
    QTest::newRow("/p 123") << QStringLiteral("/p 123") << false;
    QTest::newRow("/") << QStringLiteral("/") << false;
}

void TestMain::choosesWindowFromCommandLine()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, settingsMode);

    IntervalMs = 777;
    App::setStartupFacts(commandLine, false);
    const std::unique_ptr<QWidget> window = Main();

    QWidget *settings = shownWindow(QStringLiteral("frmSSSettings"));
    QWidget *saver = shownWindow(QStringLiteral("Form1"));
    QCOMPARE(QApplication::topLevelWidgets().size(), 1);
    if (settingsMode) {
        QVERIFY(settings);
        QVERIFY(!saver);
        QCOMPARE(IntervalMs, 1000);
    } else {
        QVERIFY(saver);
        QVERIFY(!settings);
        QCOMPARE(IntervalMs, 777); // saver mode leaves it alone
        const auto *caption = saver->findChild<QWidget *>(QStringLiteral("panYear"));
        QVERIFY(caption);
        QVERIFY(caption->isVisible());
    }
}

void TestMain::settingsModeStartsAtOneSecondWhateverWasStored()
{
    QSettings stored(m_dirs.settingsFile(), QSettings::IniFormat);
    stored.setValue(QStringLiteral("Settings/Interval"), QStringLiteral("30"));
    stored.sync();

    App::setStartupFacts(QStringLiteral("/c"), false);
    const std::unique_ptr<QWidget> window = Main();
    QCOMPARE(IntervalMs, 1000);
}

void TestMain::captionBarBecomesVisibleOnlyAfterTheShow()
{
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    App::setStartupFacts(QString(), false);
    const std::unique_ptr<QWidget> window = Main();
    qApp->removeEventFilter(&watcher);

    QVERIFY(watcher.sawForm1Shown);
    QVERIFY(!watcher.captionVisibleAtShow);
    QVERIFY(shownWindow(QStringLiteral("Form1"))->findChild<QWidget *>(QStringLiteral("panYear"))->isVisible());
}

void TestMain::restoreCursorRaisesCountUntilShown_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    // Each call raises the count by one, so the calls made are after - before.
    QTest::newRow("-5: six calls") << -5 << 1;
    QTest::newRow("0: one call") << 0 << 1;
    QTest::newRow("3: one call") << 3 << 4;
    QTest::newRow("-1: two calls") << -1 << 1;
}

void TestMain::restoreCursorRaisesCountUntilShown()
{
    QFETCH(int, before);
    QFETCH(int, after);

    setCursorCount(before);
    RestoreCursor();
    // One more call reveals the count RestoreCursor left without changing the verdict.
    QCOMPARE(ShowCursor(0), after - 1);
    QCOMPARE(ShowCursor(-1), after);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestMain::pointerIsHiddenExactlyWhileCountIsNegative()
{
    setCursorCount(0);
    QVERIFY(!QGuiApplication::overrideCursor());
    setCursorCount(-1);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    setCursorCount(-4);
    setCursorCount(-1);
    QVERIFY(QGuiApplication::overrideCursor());
    setCursorCount(0);
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestMain)
#include "tst_main.moc"

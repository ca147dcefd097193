#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"
#include "SettingsProbeClient.h"
#include "TestFiles.h"
#include "XDoTool.h"
#include "platform/desktop/ElementPlacement.h"
#include "platform/desktop/Screen.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

// The real program in settings mode on a real X server, driven with the mouse and the
// keyboard as a user would, and the settings file read back by another process.
class TestSettingsWindowProgram : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void threeRightArrowClicksAndSetStoreFour();
    void reopenedWindowStartsAtOneSecond();
    void keyboardStepsAndSaves();
    void exitEndsTheProgramWithoutSaving();
    void setKeepsEveryStrayLine();

private:
    bool startSettingsMode();
    bool clickTwips(const QRectF &box, qreal across = 0.5);
    bool clickRightArrow() { return clickTwips(QRectF(3120, 3240, 975, 255), 0.75); }
    bool clickSet() { return clickTwips(QRectF(360, 3720, 1815, 375)); }
    bool clickExit() { return clickTwips(QRectF(2160, 3720, 1815, 375)); }
    void expectCleanEnd();
    QString storedInterval() const;
    QByteArray settingsFileBytes() const;

    std::unique_ptr<IsolatedUserDirs> m_dirs;
    std::unique_ptr<ProgramProcess> m_program;
    QString m_windowId;
};

void TestSettingsWindowProgram::init()
{
    m_dirs = std::make_unique<IsolatedUserDirs>();
}

void TestSettingsWindowProgram::cleanup()
{
    m_program.reset();
    m_dirs.reset();
    m_windowId.clear();
}

bool TestSettingsWindowProgram::startSettingsMode()
{
    QProcessEnvironment environment = m_dirs->environment();
    environment.insert(u"QT_LOGGING_RULES"_s, u"dravik.lifecycle.debug=true"_s);
    m_program = std::make_unique<ProgramProcess>(environment);
    if (m_program->start({u"/c"_s}))
        m_windowId = XDoTool::waitForWindow(u"Screen Saver Settings"_s);
    if (m_windowId.isEmpty())
        qWarning("no settings window appeared: %s", qPrintable(m_program->standardError()));
    return !m_windowId.isEmpty();
}

// Clicks inside a control's design box, `across` of the way from its left edge, at half its
// height. Without a window manager the window's own origin is its client area's.
bool TestSettingsWindowProgram::clickTwips(const QRectF &box, qreal across)
{
    const QRect pixels = PixelRectFromTwips(box, Screen().twipsPerPixel());
    const int x = pixels.left() + qRound(pixels.width() * across);
    const int y = pixels.top() + pixels.height() / 2;
    bool moved = false;
    XDoTool::run({u"mousemove"_s, u"--window"_s, m_windowId, QString::number(x), QString::number(y)}, &moved);
    return moved && XDoTool::click();
}

void TestSettingsWindowProgram::expectCleanEnd()
{
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
    // Through the program-end routine, which makes sure the pointer is shown.
    QVERIFY2(m_program->standardError().contains(u"EndProgram"_s), qPrintable(m_program->standardError()));
}

QString TestSettingsWindowProgram::storedInterval() const
{
    return SettingsProbeClient::get(m_dirs->environment(), u"Interval"_s).value_or(u"<probe failed>"_s);
}

QByteArray TestSettingsWindowProgram::settingsFileBytes() const
{
    return TestFiles::ReadFile(m_dirs->settingsFile());
}

void TestSettingsWindowProgram::threeRightArrowClicksAndSetStoreFour()
{
    QVERIFY(startSettingsMode());
    for (int i = 0; i < 3; ++i)
        QVERIFY(clickRightArrow());
    QVERIFY(clickSet());
    QTRY_COMPARE_WITH_TIMEOUT(storedInterval(), u"4"_s, 10000);
    QVERIFY(m_program->isRunning());
    QVERIFY(clickExit());
    expectCleanEnd();
    QCOMPARE(storedInterval(), u"4"_s);
}

void TestSettingsWindowProgram::reopenedWindowStartsAtOneSecond()
{
    QVERIFY(SettingsProbeClient::set(m_dirs->environment(), u"Interval"_s, u"30"_s));
    QVERIFY(startSettingsMode());
    QVERIFY(clickRightArrow());
    QVERIFY(clickSet());
    QTRY_COMPARE_WITH_TIMEOUT(storedInterval(), u"2"_s, 10000);
    QVERIFY(clickExit());
    expectCleanEnd();
}

void TestSettingsWindowProgram::keyboardStepsAndSaves()
{
    QVERIFY(startSettingsMode());
    // Set, Help, Exit, then the spin button.
    for (int i = 0; i < 3; ++i)
        QVERIFY(XDoTool::keyInWindow(m_windowId, u"Tab"_s));
    QVERIFY(XDoTool::key(u"Right"_s));
    QVERIFY(XDoTool::key(u"Right"_s));
    QVERIFY(XDoTool::key(u"Tab"_s));
    QVERIFY(XDoTool::key(u"space"_s));
    QTRY_COMPARE_WITH_TIMEOUT(storedInterval(), u"3"_s, 10000);
    QVERIFY(clickExit());
    expectCleanEnd();
}

void TestSettingsWindowProgram::exitEndsTheProgramWithoutSaving()
{
    QVERIFY(SettingsProbeClient::set(m_dirs->environment(), u"Interval"_s, u"30"_s));
    const QByteArray before = settingsFileBytes();
    QVERIFY(!before.isEmpty());

    QVERIFY(startSettingsMode());
    QVERIFY(clickRightArrow());
    QVERIFY(clickRightArrow());
    QVERIFY(clickExit());
    expectCleanEnd();

    QCOMPARE(settingsFileBytes(), before);
    QCOMPARE(storedInterval(), u"30"_s);
}

// A file edited by hand and by other programs: Set replaces the Interval line that counts and
// keeps every other byte; the program says once which lines it passed over.
void TestSettingsWindowProgram::setKeepsEveryStrayLine()
{
    const QByteArray before = "\xef\xbb\xbf; caf\xe9\r\n[Settings]\r\ngarbage\r\nInterval 5\r\n=x\r\nInterval=9\r\n"
                              "Interval = 30 \r\nDraviksDir = /media/cdrom/draviks/ \r\n[Other]\r\n\x01\r\n\x1a"_ba;
    {
        QFile file(m_dirs->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(before), before.size());
    }
    QCOMPARE(storedInterval(), u"30"_s);

    QVERIFY(startSettingsMode());
    QVERIFY(clickRightArrow());
    QVERIFY(clickSet());
    QTRY_COMPARE_WITH_TIMEOUT(storedInterval(), u"2"_s, 10000);
    QVERIFY(clickExit());
    expectCleanEnd();

    QByteArray after = before;
    after.replace("Interval = 30 ", "Interval=2");
    QCOMPARE(settingsFileBytes(), after);
    const QString log = m_program->standardError();
    QCOMPARE(log.count(u"are not a [section]"_s), 1);
    QVERIFY2(log.contains(m_dirs->settingsFile() + u": line 3 and 3 more are not a [section]"_s), qPrintable(log));
}

QTEST_MAIN(TestSettingsWindowProgram)
#include "tst_settings_window_program.moc"

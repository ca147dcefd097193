#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"
#include "XDoTool.h"

#include <QSettings>
#include <QtTest>

// An error nothing catches is shown in a box titled with the application title, written to
// stderr, and ends the program with a failure status once the box is dismissed.
class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void badStoredIntervalIsReported_data();
    void badStoredIntervalIsReported();
};

void TestErrorReport::badStoredIntervalIsReported_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("error");

    QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("Type mismatch");
    QTest::newRow("empty") << QString() << QStringLiteral("Type mismatch");
    QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << QStringLiteral("Overflow");
    QTest::newRow("milliseconds overflow") << QStringLiteral("3000000") << QStringLiteral("Overflow");
    QTest::newRow("negative") << QStringLiteral("-1") << QStringLiteral("Invalid property value");
}

void TestErrorReport::badStoredIntervalIsReported()
{
    QFETCH(QString, interval);
    QFETCH(QString, error);

    IsolatedUserDirs dirs;
    {
        QSettings stored(dirs.settingsFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/Interval"), interval);
    }

    ProgramProcess program(dirs.environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(error), qPrintable(program.standardError()));

    const QString box = XDoTool::waitForWindow(kApplicationTitle);
    QVERIFY2(!box.isEmpty(), "no error box appeared");
    QVERIFY2(program.isRunning(), "the program ended before the box was dismissed");
    QVERIFY(XDoTool::keyInWindow(box, QStringLiteral("Return")));

    QVERIFY(program.waitForExit());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY(program.exitCode() != 0);
}

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_error_report.moc"

#include "ApplicationTitle.h"
#include "SaverProgramFixture.h"
#include "XDoTool.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// An error nothing catches is shown in a box titled with the application title, written to
// stderr, and ends the program with a failure status once the box is dismissed.
class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void badStoredIntervalIsReported_data();
    void badStoredIntervalIsReported();
    void reportIsTheLastThingShown();
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
    QVERIFY2(program.standardError().startsWith(QStringLiteral("Dravik2001: Run-time error '")),
             qPrintable(program.standardError()));

    const QString box = XDoTool::waitForWindow(kApplicationTitle);
    QVERIFY2(!box.isEmpty(),
             qPrintable(QStringLiteral("no error box appeared; the program wrote:\n") + program.standardError()));
    QVERIFY2(program.isRunning(), "the program ended before the box was dismissed");
    QVERIFY(XDoTool::keyInWindow(box, QStringLiteral("Return")));

    QVERIFY(program.waitForExit());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY(program.exitCode() != 0);
}

void TestErrorReport::reportIsTheLastThingShown()
{
    // The load fails before it sets the interval or the photo directory, so a tick would list
    // the working directory, find a file that is no picture and say the photographs are missing.
    IsolatedUserDirs dirs;
    {
        QSettings stored(dirs.settingsFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/Interval"), QStringLiteral("abc"));
    }
    QTemporaryDir workingDirectory;
    QFile notAPhoto(workingDirectory.filePath(QStringLiteral("67A.JPG")));
    QVERIFY(notAPhoto.open(QIODevice::WriteOnly) && notAPhoto.write("not a picture") > 0);
    notAPhoto.close();

    ProgramProcess program(SaverProgramFixture::withLifecycleLog(dirs.environment()));
    program.setWorkingDirectory(workingDirectory.path());
    QVERIFY(program.start());
    const QString box = XDoTool::waitForWindow(kApplicationTitle);
    QVERIFY2(!box.isEmpty(),
             qPrintable(QStringLiteral("no error box appeared; the program wrote:\n") + program.standardError()));

    // The saver's design interval is one second: three would have come by now.
    const QString failureMessage = XDoTool::waitForWindow(QStringLiteral("The Dravik Quintavel Screen Saver"), 3500);
    QVERIFY2(failureMessage.isEmpty(), "a failure message appeared over the error report");
    QVERIFY2(!program.standardError().contains(QStringLiteral("Timer1_Timer")), qPrintable(program.standardError()));

    QVERIFY(XDoTool::keyInWindow(box, QStringLiteral("Return")));
    QVERIFY(program.waitForExit());
    QCOMPARE(program.exitCode(), 1);
}

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_error_report.moc"

#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Started where no desktop can be reached, the program says so in one line and ends with
// status 1, in both modes, instead of aborting with a core dump.
class TestNoDesktop : public QObject
{
    Q_OBJECT

private slots:
    void saysSoAndEnds_data();
    void saysSoAndEnds();

private:
    static QString displayWithNothingThere();
};

// An X display number no server holds: no lock file and no socket. Far above the numbers
// xvfb-run hands out, so a test running next to this one does not take it meanwhile.
QString TestNoDesktop::displayWithNothingThere()
{
    for (int number = 4000; number < 5000; ++number) {
        const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(number);
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        if (!QFile::exists(lock) && !QFile::exists(socket))
            return QStringLiteral(":%1").arg(number);
    }
    return {};
}

void TestNoDesktop::saysSoAndEnds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("reason");

    const QString nothingThere = displayWithNothingThere();
    QVERIFY(!nothingThere.isEmpty());
    const QString unset = QStringLiteral("DISPLAY and WAYLAND_DISPLAY are not set");
    const QString refused = QStringLiteral("could not connect to display %1").arg(nothingThere);
    QTest::newRow("saver, no DISPLAY") << QStringList{} << QString() << unset;
    QTest::newRow("settings, no DISPLAY") << QStringList{QStringLiteral("/c")} << QString() << unset;
    QTest::newRow("saver, nothing at DISPLAY") << QStringList{} << nothingThere << refused;
    QTest::newRow("settings, nothing at DISPLAY") << QStringList{QStringLiteral("/c")} << nothingThere << refused;
}

void TestNoDesktop::saysSoAndEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(QString, reason);

    IsolatedUserDirs dirs;
    QProcessEnvironment environment = dirs.environment();
    // The program's own choice of platform, as on a desktop, not the tests' offscreen one.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("dravik.lifecycle.debug=true"));

    ProgramProcess program(environment);
    QVERIFY(program.start(arguments));
    QVERIFY(program.waitForExit());
    const QString log = program.standardError();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, qPrintable(QStringLiteral("killed by a signal:\n") + log));
    QCOMPARE(program.exitCode(), 1);

    const QStringList lines = log.trimmed().split(QLatin1Char('\n'));
    QVERIFY2(lines.size() == 1, qPrintable(log));
    QVERIFY2(lines.first().startsWith(QStringLiteral("Dravik2001: no desktop could be reached")), qPrintable(log));
    QVERIFY2(lines.first().contains(reason), qPrintable(log));
}

QTEST_GUILESS_MAIN(TestNoDesktop)
#include "tst_no_desktop.moc"

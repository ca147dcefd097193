#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Started where no desktop can be reached, or on one without a single screen, the program says
// so in one line and ends with status 1, in both modes, instead of aborting with a core dump.
class TestNoDesktop : public QObject
{
    Q_OBJECT

private slots:
    void saysSoAndEnds_data();
    void saysSoAndEnds();

private:
    static QString displayWithNothingThere();

    QTemporaryDir m_screens;
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
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reason");

    const QString nothingThere = displayWithNothingThere();
    QVERIFY(!nothingThere.isEmpty());
    const QString unset = QStringLiteral("DISPLAY and WAYLAND_DISPLAY are not set");
    const QString refused = QStringLiteral("could not connect to display %1").arg(nothingThere);
    const QString unreachable = QStringLiteral("Dravik2001: no desktop could be reached");
    QTest::newRow("saver, no DISPLAY") << QStringList{} << QString() << QString() << QString() << unreachable << unset;
    QTest::newRow("settings, no DISPLAY")
        << QStringList{QStringLiteral("/c")} << QString() << QString() << QString() << unreachable << unset;
    QTest::newRow("saver, nothing at DISPLAY")
        << QStringList{} << nothingThere << QString() << QString() << unreachable << refused;
    QTest::newRow("settings, nothing at DISPLAY")
        << QStringList{QStringLiteral("/c")} << nothingThere << QString() << QString() << unreachable << refused;
    // A Wayland display with no compositor's socket: Qt's Wayland plugin says so without the
    // name, before the X11 plugin it falls back on finds no DISPLAY.
    const QString noCompositor = QStringLiteral("no-compositor-here");
    QTest::newRow("saver, nothing at WAYLAND_DISPLAY")
        << QStringList{} << QString() << noCompositor << QString() << unreachable
        << QStringLiteral("could not connect to the Wayland display %1").arg(noCompositor);

    // The offscreen platform with an empty list of screens: reached, but nowhere to show a window.
    QVERIFY(m_screens.isValid());
    const QString none = m_screens.filePath(QStringLiteral("no-screens.json"));
    QFile file(none);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("{ \"screens\": [] }\n") > 0);
    file.close();
    const QString noScreens = QStringLiteral("offscreen:configfile=") + none;
    const QString noScreen = QStringLiteral("Dravik2001: the desktop has no screen to show a window on");
    QTest::newRow("saver, no screens") << QStringList{} << QString() << QString() << noScreens << noScreen << QString();
    QTest::newRow("settings, no screens")
        << QStringList{QStringLiteral("/c")} << QString() << QString() << noScreens << noScreen << QString();
}

void TestNoDesktop::saysSoAndEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(QString, waylandDisplay);
    QFETCH(QString, platform);
    QFETCH(QString, line);
    QFETCH(QString, reason);

    IsolatedUserDirs dirs;
    QProcessEnvironment environment = dirs.environment();
    // The program's own choice of platform, as on a desktop, not the tests' offscreen one,
    // unless the row names one.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    if (!waylandDisplay.isEmpty())
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("dravik.lifecycle.debug=true"));

    ProgramProcess program(environment);
    QVERIFY(program.start(arguments));
    QVERIFY(program.waitForExit());
    const QString log = program.standardError();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, qPrintable(QStringLiteral("killed by a signal:\n") + log));
    QCOMPARE(program.exitCode(), 1);

    const QStringList lines = log.trimmed().split(QLatin1Char('\n'));
    QVERIFY2(lines.size() == 1, qPrintable(log));
    QVERIFY2(lines.first().startsWith(line), qPrintable(log));
    QVERIFY2(lines.first().contains(reason), qPrintable(log));
}

QTEST_GUILESS_MAIN(TestNoDesktop)
#include "tst_no_desktop.moc"

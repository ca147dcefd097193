#include "ApplicationTitle.h"
#include "FakeSaver.h"
#include "saver_cycle/CannotMeasure.h"
#include "saver_cycle/SaverMeasurements.h"
#include "saver_cycle/SaverSetup.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QTest>

// The cycle run on stand-ins for the saver: which ticks its figures come from, that a build
// without timing lines is timed by the clock and said to be, and that a saver which fails or
// logs too little stops the bench instead of giving figures. Each run takes as long as the
// real one, about 15 s, since the saver's interval is one second.
class TestSaverMeasurements : public QObject
{
    Q_OBJECT

private slots:
    void settingsAndLoggingForTheSaver();
    void ticksFromTheTimingLines();
    void clockWhenTheBuildLogsNoTicks();
    void tooFewTicksCannotBeMeasured();
    void aFailedTickCannotBeMeasured();
    void aSaverThatEndsCannotBeMeasured();

private:
    static QString measurementFailure(const QString &script);
};

namespace {

const QString kPhotoDir = QStringLiteral("/photos/draviks/");

// Refuses to run, as the bench would fail, unless started as the bench starts the saver.
const QString kCheckEnvironment =
    QStringLiteral("[ \"$QT_MESSAGE_PATTERN\" = '%{category}: %{message}' ] || exit 7\n"
                   "case \"$QT_LOGGING_RULES\" in *dravik.timing.debug=true*) ;; *) exit 8 ;; esac\n");

} // namespace

QString TestSaverMeasurements::measurementFailure(const QString &script)
{
    FakeSaver fake(kCheckEnvironment + FakeSaver::windowShownLine() + script);
    if (!fake.isValid())
        return QStringLiteral("(no fake saver)");
    const SaverSetup setup(fake.path(), kPhotoDir);
    try {
        SaverMeasurements::measureCycle(setup);
    } catch (const CannotMeasure &failure) {
        return failure.reason;
    }
    return {};
}

void TestSaverMeasurements::settingsAndLoggingForTheSaver()
{
    const SaverSetup setup(QStringLiteral("/bin/true"), kPhotoDir);
    setup.storeSettings(60);
    setup.storeSettings(1);
    QCOMPARE(StoredSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval), QStringLiteral("1"));
    QCOMPARE(StoredSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir), kPhotoDir);

    const QProcessEnvironment environment = setup.environment();
    QCOMPARE(environment.value(QStringLiteral("QT_LOGGING_RULES")),
             QStringLiteral("dravik.lifecycle.debug=true;dravik.timing.debug=true"));
    QCOMPARE(environment.value(QStringLiteral("QT_MESSAGE_PATTERN")), QStringLiteral("%{category}: %{message}"));
    // The saver reads its settings where this process wrote them, and keeps its lock apart.
    QCOMPARE(environment.value(QStringLiteral("XDG_CONFIG_HOME")), qEnvironmentVariable("XDG_CONFIG_HOME"));
    const QFileInfo runtime(environment.value(QStringLiteral("XDG_RUNTIME_DIR")));
    QVERIFY(runtime.isDir());
    QCOMPARE(runtime.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
}

void TestSaverMeasurements::ticksFromTheTimingLines()
{
    // Tick i takes i ms in its handler, and the odd ones 0.5 ms more in a deferred completion.
    FakeSaver fake(kCheckEnvironment + FakeSaver::windowShownLine()
                   + QStringLiteral("trap 'exit 0' TERM\n"
                                    "i=1\n"
                                    "while [ $i -le 14 ]; do\n"
                                    "  sleep 1\n"
                                    "  echo \"dravik.timing: Timer1_Timer ${i}000 us\" >&2\n"
                                    "  [ $((i % 2)) -eq 1 ] && echo 'dravik.timing: photo shown 500 us' >&2\n"
                                    "  i=$((i + 1))\n"
                                    "done\n"
                                    "while :; do sleep 0.05; done\n"));
    QVERIFY(fake.isValid());
    const SaverSetup setup(fake.path(), kPhotoDir);
    const SaverMeasurements::CycleFigures figures = SaverMeasurements::measureCycle(setup);

    QVERIFY(figures.ticksLogged);
    // Ticks 2 to 13, the ones shown inside the CPU window: (2 + ... + 13) ms and six completions.
    QCOMPARE(figures.userInterfaceMeanMicroseconds, std::optional<double>((90000.0 + 6 * 500) / 12));
    QCOMPARE(figures.userInterfaceMaxMicroseconds, std::optional<qint64>(13500));
    QVERIFY(figures.peakKilobytes > 0);
    QVERIFY(figures.cpuSecondsPerPhoto >= 0);
    QVERIFY2(figures.notes.isEmpty(), qPrintable(figures.notes.join(u'\n')));
}

void TestSaverMeasurements::clockWhenTheBuildLogsNoTicks()
{
    FakeSaver fake(kCheckEnvironment + FakeSaver::windowShownLine()
                   + QStringLiteral("echo 'dravik.timing: decoded in 5 us' >&2\n"
                                    "exec sleep 60\n"));
    QVERIFY(fake.isValid());
    const SaverSetup setup(fake.path(), kPhotoDir);
    const SaverMeasurements::CycleFigures figures = SaverMeasurements::measureCycle(setup);

    QVERIFY(!figures.ticksLogged);
    QCOMPARE(figures.userInterfaceMeanMicroseconds, std::nullopt);
    QCOMPARE(figures.userInterfaceMaxMicroseconds, std::nullopt);
    QVERIFY(figures.peakKilobytes > 0);
    // A sleeping saver: next to no CPU, counted by the clock's window all the same.
    QVERIFY(figures.cpuSecondsPerPhoto < 0.01);
    const QString notes = figures.notes.join(u'\n');
    QVERIFY2(notes.contains(QStringLiteral("died of a signal")), qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("1 dravik.timing lines of a form this bench does not read")),
             qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("\"decoded in 5 us\"")), qPrintable(notes));
}

void TestSaverMeasurements::tooFewTicksCannotBeMeasured()
{
    const QString failure = measurementFailure(QStringLiteral("for i in 1 2 3; do\n"
                                                              "  sleep 1\n"
                                                              "  echo 'dravik.timing: Timer1_Timer 900 us' >&2\n"
                                                              "done\n"
                                                              "exec sleep 60\n"));
    QVERIFY2(failure.contains(QStringLiteral("the saver logged 3 ticks")), qPrintable(failure));
}

void TestSaverMeasurements::aFailedTickCannotBeMeasured()
{
    const QString failure = measurementFailure(
        QStringLiteral("echo 'dravik.lifecycle: Timer1_Timer failed: File not found: LoadPicture(\"x\")' >&2\n"
                       "exec sleep 60\n"));
    QCOMPARE(failure,
             QStringLiteral("the saver could not show a photo: Timer1_Timer failed: File not found: "
                            "LoadPicture(\"x\")"));
}

void TestSaverMeasurements::aSaverThatEndsCannotBeMeasured()
{
    const QString failure = measurementFailure(QStringLiteral("echo 'Dravik2001: something broke' >&2\nexit 1\n"));
    QVERIFY2(failure.startsWith(QStringLiteral("the saver ended while it was measured")), qPrintable(failure));
    QVERIFY2(failure.contains(QStringLiteral("Dravik2001: something broke")), qPrintable(failure));
}

QTEST_GUILESS_MAIN(TestSaverMeasurements)
#include "tst_saver_measurements.moc"

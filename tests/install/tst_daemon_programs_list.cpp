#include "DaemonProgramsList.h"
#include "TestFiles.h"

#include <QRegularExpression>
#include <QtTest>

// The editing of xscreensaver's programs: list, on files its settings program wrote.
class TestDaemonProgramsList : public QObject
{
    Q_OBJECT

private slots:
    void formatsEntriesAsTheSettingsProgram_data();
    void formatsEntriesAsTheSettingsProgram();
    void readsRegistration_data();
    void readsRegistration();
    void enablesTheSaverOnce_data();
    void enablesTheSaverOnce();
    void refusesListsItCannotExtendSafely_data();
    void refusesListsItCannotExtendSafely();
};

namespace {

QByteArray sample(const char *name)
{
    return TestFiles::ReadFile(QStringLiteral(DRAVIK_SOURCE_DIR "/tests/install/data/") + QLatin1String(name));
}

// The daemon's line for the saver, as the settings program wrote it disabled in the sample.
QByteArray unticked()
{
    return QByteArrayLiteral("-\t\t\t\tdravik2001 --root\t\t\t    \\n\\");
}

QByteArray withLine(QByteArray text, qsizetype lineIndex, const QByteArray &line)
{
    QList<QByteArray> lines = text.split('\n');
    lines[lineIndex] = line;
    return lines.join('\n');
}

QByteArray freshWithSaver()
{
    return sample("fresh-account.xscreensaver")
        .replace("squirtorus --root\t\t\t    \\n\\\n", "squirtorus --root\t\t\t    \\n\\\n" + unticked().mid(1) + '\n');
}

} // namespace

Q_DECLARE_METATYPE(DaemonProgramsList::Registration)

void TestDaemonProgramsList::formatsEntriesAsTheSettingsProgram_data()
{
    QTest::addColumn<QByteArray>("line");
    const QByteArray text = sample("fresh-account.xscreensaver");
    QVERIFY(!text.isEmpty());
    int entries = 0;
    for (const QByteArray &line : text.split('\n')) {
        if (line.endsWith("\\n\\")) {
            QTest::newRow(line.simplified().constData()) << line;
            ++entries;
        }
    }
    QVERIFY2(entries > 200, "the sample's programs: list was not found");
    QTest::newRow("unticked saver") << unticked();
}

void TestDaemonProgramsList::formatsEntriesAsTheSettingsProgram()
{
    QFETCH(QByteArray, line);
    static const QRegularExpression entry(QStringLiteral(R"(^(-?)\s*(?:(\S+:)\s+)?(\S.*?)\s*\\n\\$)"));
    const QRegularExpressionMatch parts = entry.match(QString::fromLatin1(line));
    QVERIFY(parts.hasMatch());
    const QByteArray formatted = DaemonProgramsList::formattedEntry(
        parts.captured(3).toLatin1(), parts.captured(1).isEmpty(), parts.captured(2).toLatin1());
    QCOMPARE(formatted, line);
}

void TestDaemonProgramsList::readsRegistration_data()
{
    using DaemonProgramsList::Registration;
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Registration>("expected");

    QTest::newRow("fresh account") << sample("fresh-account.xscreensaver") << Registration::NotListed;
    QTest::newRow("ticked") << freshWithSaver() << Registration::Enabled;
    QTest::newRow("unticked") << sample("saver-unticked.xscreensaver") << Registration::Disabled;
    QTest::newRow("by its full path") << QByteArray("programs: /usr/libexec/xscreensaver/dravik2001 --root\n")
                                      << Registration::Enabled;
    QTest::newRow("disabled with a visual")
        << QByteArray("programs: \\\n- GL: dravik2001 --root \\n\\\n\n") << Registration::Disabled;
    QTest::newRow("one of two enabled") << QByteArray(
        "programs: \\\n-dravik2001 --root \\n\\\n dravik2001 --root \\n\\\n\n")
                                        << Registration::Enabled;
    QTest::newRow("a name that only starts the same")
        << QByteArray("programs: \\\n dravik2001x --root \\n\\\n\n") << Registration::NotListed;
    QTest::newRow("only as an argument") << QByteArray("programs: \\\n maze --name dravik2001 \\n\\\n\n")
                                         << Registration::NotListed;
    QTest::newRow("no programs: resource")
        << QByteArray("timeout:\t0:10:00\nmode:\t\trandom\n") << Registration::NoList;
    QTest::newRow("commented out") << QByteArray("! programs: dravik2001 --root\n") << Registration::NoList;
    QTest::newRow("a line of another resource")
        << QByteArray("textLiteral:\tXScreenSaver \\\nprograms: dravik2001 --root\n") << Registration::NoList;
    QTest::newRow("after an escaped backslash")
        << QByteArray("textFile:\tC:\\\\\nprograms: dravik2001 --root\n") << Registration::Enabled;
    QTest::newRow("empty file") << QByteArray() << Registration::NoList;
}

void TestDaemonProgramsList::readsRegistration()
{
    QFETCH(QByteArray, text);
    QFETCH(DaemonProgramsList::Registration, expected);
    QCOMPARE(DaemonProgramsList::registration(text), expected);
}

void TestDaemonProgramsList::enablesTheSaverOnce_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    // What the settings program wrote once the saver had been added and unticked, less its "-"
    // and the time it wrote the file.
    const QByteArray fresh = sample("fresh-account.xscreensaver");
    const QByteArray untickedFile = sample("saver-unticked.xscreensaver");
    const qsizetype saverLine = untickedFile.split('\n').indexOf(unticked());
    QVERIFY(saverLine > 0);
    QTest::newRow("added as the settings program adds it")
        << fresh << withLine(withLine(untickedFile, saverLine, unticked().mid(1)), 1, fresh.split('\n').at(1));

    // Enabled where it stands.
    QTest::newRow("unticked in the settings program")
        << untickedFile << QByteArray(untickedFile).replace(unticked(), unticked().mid(1));
    QTest::newRow("disabled with a visual")
        << QByteArray("programs:\t\\\n- GL: \t\t\t\tdravik2001 --root\t\t\t    \\n\\\n\tmaze --root \\n\\\n\n")
        << QByteArray("programs:\t\\\n  GL: \t\t\t\tdravik2001 --root\t\t\t    \\n\\\n\tmaze --root \\n\\\n\n");
    QTest::newRow("disabled with a visual, no tabs")
        << QByteArray("programs: \\\n- GL: dravik2001 --root \\n\\\n\n")
        << QByteArray("programs: \\\n  GL: \t\t\t\tdravik2001 --root \\n\\\n\n");
    QTest::newRow("written by hand") << QByteArray("programs: \\\n  -dravik2001 --root --fps \\n\\\n\n")
                                     << QByteArray("programs: \\\n  \t\t\t\tdravik2001 --root --fps \\n\\\n\n");
    QTest::newRow("second on its line") << QByteArray("programs: maze --root \\n -dravik2001 --root\n")
                                        << QByteArray("programs: maze --root \\n \tdravik2001 --root\n");

    // Added at the end of lists of other shapes.
    const QByteArray line = unticked().mid(1) + '\n';
    QTest::newRow("entries on the key's line") << QByteArray("programs: maze --root \\n\\\n\nmode: one\n")
                                               << QByteArray("programs: maze --root \\n\\\n" + line + "\nmode: one\n");
    QTest::newRow("empty list") << QByteArray("programs:\t\t\\\n\n") << QByteArray("programs:\t\t\\\n" + line + "\n");
    QTest::newRow("blanks end the list") << QByteArray("programs: \\\n\tmaze --root\t\\n\\\n  \t\n")
                                         << QByteArray("programs: \\\n\tmaze --root\t\\n\\\n" + line + "  \t\n");
    QTest::newRow("disabled namesake only") << QByteArray("programs: \\\n-\tdravik2001x --root \\n\\\n\n")
                                            << QByteArray("programs: \\\n-\tdravik2001x --root \\n\\\n" + line + "\n");
    // Enabled where they stand, "-GL:" and "-x/" would begin the line with the disabled mark.
    QTest::newRow("disabled with a visual that begins with -")
        << QByteArray("programs: \\\n- -GL: dravik2001 --root \\n\\\n\n")
        << QByteArray("programs: \\\n- -GL: dravik2001 --root \\n\\\n" + line + "\n");
    QTest::newRow("disabled with a command that begins with -")
        << QByteArray("programs: \\\n- -x/dravik2001 --root \\n\\\n\n")
        << QByteArray("programs: \\\n- -x/dravik2001 --root \\n\\\n" + line + "\n");
}

// Where the entry stands or at the list's end; a second edit then finds it enabled.
void TestDaemonProgramsList::enablesTheSaverOnce()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    const DaemonProgramsList::Edit first = DaemonProgramsList::withSaverEnabled(text);
    QVERIFY2(first.refusal.isEmpty(), qPrintable(first.refusal));
    QVERIFY(first.changed);
    QCOMPARE(first.text, expected);
    QCOMPARE(DaemonProgramsList::registration(first.text), DaemonProgramsList::Registration::Enabled);
    const DaemonProgramsList::Edit second = DaemonProgramsList::withSaverEnabled(first.text);
    QVERIFY(!second.changed);
    QVERIFY(second.refusal.isEmpty());
    QCOMPARE(second.text, first.text);
}

void TestDaemonProgramsList::refusesListsItCannotExtendSafely_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no list") << QByteArray("timeout:\t0:10:00\n") << QStringLiteral("no programs: list");
    QTest::newRow("two lists") << QByteArray("programs: maze --root \\n\\\n\nprograms: qix --root \\n\\\n\n")
                               << QStringLiteral("more than one");
    QTest::newRow("one line") << QByteArray("programs: maze --root\n") << QStringLiteral("does not end");
    QTest::newRow("last entry ends the list")
        << QByteArray("programs: \\\n\tmaze --root \\n\\\n\tqix --root \\n\nmode: random\n")
        << QStringLiteral("does not end");
    QTest::newRow("last entry without separator")
        << QByteArray("programs: \\\n\tmaze --root \\\n\n") << QStringLiteral("does not end");
    QTest::newRow("continued to the end of the file")
        << QByteArray("programs: \\\n\tmaze --root \\n\\\n") << QStringLiteral("does not end");
}

void TestDaemonProgramsList::refusesListsItCannotExtendSafely()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, reason);
    const DaemonProgramsList::Edit edit = DaemonProgramsList::withSaverEnabled(text);
    QVERIFY(!edit.changed);
    QVERIFY2(edit.refusal.contains(reason), qPrintable(edit.refusal));
    QCOMPARE(edit.text, text);
}

QTEST_APPLESS_MAIN(TestDaemonProgramsList)
#include "tst_daemon_programs_list.moc"

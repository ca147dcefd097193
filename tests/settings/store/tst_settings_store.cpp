#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "TestFiles.h"
#include "platform/files/FileName.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct ProbeRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};

// exitCode stays -1 when the probe crashed or did not end within timeoutMs.
ProbeRun runProbe(const QStringList &args, const QProcessEnvironment &environment, int timeoutMs = 60000)
{
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SETTINGS_PROBE), args);
    if (!probe.waitForFinished(timeoutMs)) {
        probe.kill();
        probe.waitForFinished();
        return {};
    }
    return {probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1,
            QString::fromUtf8(probe.readAllStandardOutput()), QString::fromUtf8(probe.readAllStandardError())};
}

QString bracketed(const QString &value)
{
    return u'[' + value + u']' + u'\n';
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

// What is at path, without opening it (a pipe would block, a device never end): its kind and,
// for a regular file, its contents; for a link, where it points.
QByteArray entryAt(const QString &path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return "nothing";
    if (S_ISLNK(status.st_mode))
        return "link to " + QFile::encodeName(QFileInfo(path).symLinkTarget());
    if (S_ISREG(status.st_mode))
        return "file " + TestFiles::ReadFile(path);
    return "kind " + QByteArray::number(status.st_mode & S_IFMT);
}

// A settings file of exactly size bytes: the section, one value, and a long comment.
QByteArray paddedTo(qsizetype size)
{
    QByteArray contents("[Settings]\nDraviksDir=/p/\n; ");
    contents.append(size - contents.size() - 1, 'x');
    contents.append('\n');
    return contents;
}

constexpr qsizetype kSizeLimit = 1024 * 1024;

template <typename Action>
std::optional<RuntimeError> errorRaisedBy(Action action)
{
    try {
        action();
    } catch (const RuntimeError &error) {
        return error;
    }
    return std::nullopt;
}

QString getDir()
{
    return GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir,
                      SettingNames::DraviksDirDefault);
}

void saveDir(const QString &value)
{
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir, value);
}

// Limits the size of any file this process writes, which stops a save even where the user may
// write anywhere (tests run as root in CI).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

// Values that must come back exactly as saved, both through this store and through the
// QSettings INI format the earlier version of the program wrote with.
void addValueRows()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("one blank") << QStringLiteral(" ");
    QTest::newRow("empty") << QString();
    QTest::newRow("trailing slash") << QStringLiteral("/x/draviks/");
    QTest::newRow("trailing backslash") << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("double backslash") << QStringLiteral("\\\\server\\share\\");
    QTest::newRow("commas") << QStringLiteral("a,b,,c,");
    QTest::newRow("comma and blank") << QStringLiteral("/media/cdrom/Dravik, Photos/draviks/");
    QTest::newRow("semicolons") << QStringLiteral("a;b; c");
    QTest::newRow("comment marks first") << QStringLiteral(";x #y");
    QTest::newRow("hash first") << QStringLiteral("#x");
    QTest::newRow("equals signs") << QStringLiteral("k=v=w");
    QTest::newRow("quotes") << QStringLiteral("\"quoted\" and 'single'");
    QTest::newRow("quotes around") << QStringLiteral("\"/p/\"");
    QTest::newRow("non-ASCII letters") << QStringLiteral("/fotos/été/über/日本/");
    QTest::newRow("blanks around") << QStringLiteral("  padded  ");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("control characters") << QStringLiteral("x\x01"
                                                          "ab\x1f"
                                                          "F\x7f");
    QTest::newRow("escape-like text") << QStringLiteral("a\\tb\\x41");
    QTest::newRow("at sign first") << QStringLiteral("@ByteArray(x)");
    QTest::newRow("two at signs first") << QStringLiteral("@@x");
    QTest::newRow("section-like") << QStringLiteral("[Other]");
    QTest::newRow("percent") << QStringLiteral("100% %U0041");
    QTest::newRow("line break") << QStringLiteral("first\nsecond");
    QTest::newRow("CR LF") << QStringLiteral("first\r\nsecond");
    QTest::newRow("number") << QStringLiteral("60");
}

enum class Obstacle {
    SettingsPathIsDirectory,
    ConfigHomeIsFile,
    DamagedFile,
    FileSizeLimit,
    ReadOnlyDirectory,
    ReadOnlyFile,
    UnreadableFile,
};

// Files no settings store should try to read to the end, or at all.
enum class Hostile {
    Directory,
    NamedPipe,
    LinkToDevZero,
    Oversized,
};

// What TMPDIR points at.
enum class TempDir {
    File,
    Missing,
    ReadOnlyDirectory,
};

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void freshAccountGivesDefaults();
    void fileLivesUnderConfigHome();
    void relativeConfigHomeIsMadeAbsolute();
    void keepsValuesExactly_data();
    void keepsValuesExactly();
    void readsAFileOfTheSizeLimit();
    void readsWhatTheEarlierVersionWrote_data();
    void readsWhatTheEarlierVersionWrote();
    void passesOverStrayLinesAndKeepsThem_data();
    void passesOverStrayLinesAndKeepsThem();
    void keepsNamesThatAreNotUtf8_data();
    void keepsNamesThatAreNotUtf8();
    void saveKeepsEverythingElse();
    void saveKeepsLinkAndPermissions();
    void seesSameSizedChangeWithinOneClockTick();
    void concurrentSavesLoseNothing();
    void failedSaveKeepsTheFile_data();
    void failedSaveKeepsTheFile();
    void unreadableFileIsAnError_data();
    void unreadableFileIsAnError();
    void refusesFilesThatAreNotSettings_data();
    void refusesFilesThatAreNotSettings();
    void refusesHostileFiles_data();
    void refusesHostileFiles();
    void refusesWhatTheFileCannotHold_data();
    void refusesWhatTheFileCannotHold();
    void needsNothingButTheSettingsFile_data();
    void needsNothingButTheSettingsFile();
    void killedSavesLeaveNothingBehind();
    void takesOverAbandonedLocks_data();
    void takesOverAbandonedLocks();
    void waitsForTheLockOfEarlierVersions();

private:
    void placeObstacle(Obstacle obstacle);

    std::unique_ptr<IsolatedUserDirs> m_dirs;
};

void SettingsStoreTest::init()
{
    m_dirs = std::make_unique<IsolatedUserDirs>();
    m_dirs->applyToThisProcess();
}

void SettingsStoreTest::cleanup()
{
    // Undo permission obstacles so the throwaway directories can be removed.
    const QFile::Permissions usual = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(m_dirs->configHome(), usual);
    if (QFileInfo(m_dirs->settingsFile()).isFile())
        QFile::setPermissions(m_dirs->settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    m_dirs.reset();
}

void SettingsStoreTest::freshAccountGivesDefaults()
{
    QCOMPARE(
        GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, SettingNames::IntervalDefault),
        QStringLiteral("2"));
    QCOMPARE(getDir(), QStringLiteral(" "));
    QVERIFY2(!QFileInfo::exists(m_dirs->settingsFile()), "reading must not create the file");

    const ProbeRun dir =
        runProbe({QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral(" ")}, m_dirs->environment());
    QCOMPARE(dir.output, bracketed(QStringLiteral(" ")));
    QVERIFY(!QFileInfo::exists(m_dirs->settingsFile()));
}

void SettingsStoreTest::fileLivesUnderConfigHome()
{
    const QString expected = m_dirs->configHome() + u'/' + kApplicationTitle + QStringLiteral(".ini");
    QCOMPARE(SettingsFilePath(kApplicationTitle), expected);
    const ProbeRun path = runProbe({QStringLiteral("path")}, m_dirs->environment());
    QCOMPARE(path.output, bracketed(expected));

    const ProbeRun save =
        runProbe({QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("5")}, m_dirs->environment());
    QCOMPARE(save.exitCode, 0);
    QCOMPARE(TestFiles::ReadFile(expected), QByteArray("[Settings]\nInterval=5\n"));
    QVERIFY2(!QFileInfo::exists(expected + QStringLiteral(".lock")), "the lock must go with the save");
}

// As QSettings, which earlier versions saved through, makes it absolute.
void SettingsStoreTest::relativeConfigHomeIsMadeAbsolute()
{
    QProcessEnvironment environment = m_dirs->environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("config"));
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setWorkingDirectory(QFileInfo(m_dirs->configHome()).path());
    probe.start(QStringLiteral(SETTINGS_PROBE), {QStringLiteral("path")});
    QVERIFY(probe.waitForFinished());
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), bracketed(m_dirs->settingsFile()));
}

void SettingsStoreTest::keepsValuesExactly_data()
{
    addValueRows();
}

void SettingsStoreTest::keepsValuesExactly()
{
    QFETCH(QString, value);
    saveDir(value);
    QCOMPARE(getDir(), value);
    QVERIFY(TestFiles::ReadFile(m_dirs->settingsFile()).startsWith("[Settings]\n"));
    // An earlier version of the program, still installed elsewhere, reads it the same.
    QCOMPARE(QSettings(m_dirs->settingsFile(), QSettings::IniFormat).value(QStringLiteral("Settings/DraviksDir")),
             QVariant(value));

    // Across real processes, both ways.
    const QString other = value + QStringLiteral("|other");
    QCOMPARE(runProbe({QStringLiteral("set"), QStringLiteral("DraviksDir"), other}, m_dirs->environment()).exitCode, 0);
    QCOMPARE(getDir(), other);
    saveDir(value);
    const ProbeRun get =
        runProbe({QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral("unset")}, m_dirs->environment());
    QCOMPARE(get.exitCode, 0);
    QCOMPARE(get.output, bracketed(value));
}

// The largest file there may be is read whole.
void SettingsStoreTest::readsAFileOfTheSizeLimit()
{
    writeFile(m_dirs->settingsFile(), paddedTo(kSizeLimit));
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir, QStringLiteral("absent")),
             QStringLiteral("/p/"));
}

void SettingsStoreTest::readsWhatTheEarlierVersionWrote_data()
{
    addValueRows();
}

// The earlier version kept its settings through QSettings' own INI format.
void SettingsStoreTest::readsWhatTheEarlierVersionWrote()
{
    QFETCH(QString, value);
    {
        QSettings earlier(m_dirs->settingsFile(), QSettings::IniFormat);
        earlier.setValue(QStringLiteral("Settings/DraviksDir"), value);
        earlier.setValue(QStringLiteral("Settings/Interval"), QStringLiteral("5"));
    }
    QCOMPARE(getDir(), value);
    QCOMPARE(
        GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, SettingNames::IntervalDefault),
        QStringLiteral("5"));
}

void SettingsStoreTest::saveKeepsEverythingElse()
{
    writeFile(m_dirs->settingsFile(),
              "[Other]\nColour=blue\n\n[Settings]\nDraviksDir=/photos/\nInterval=4\nZoom=\"a, b\"\n");
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QStringLiteral("10"));

    const auto get = [](const QString &section, const QString &key) {
        return GetSetting(kApplicationTitle, section, key, QStringLiteral("absent"));
    };
    QCOMPARE(get(QStringLiteral("Other"), QStringLiteral("Colour")), QStringLiteral("blue"));
    QCOMPARE(get(SettingNames::Section, SettingNames::DraviksDir), QStringLiteral("/photos/"));
    QCOMPARE(get(SettingNames::Section, QStringLiteral("Zoom")), QStringLiteral("a, b"));
    QCOMPARE(get(SettingNames::Section, SettingNames::Interval), QStringLiteral("10"));
}

// Some keep their settings elsewhere and link them in; the link stays, the file it points to
// changes, and so do neither its permissions.
void SettingsStoreTest::saveKeepsLinkAndPermissions()
{
    const QString kept = QFileInfo(m_dirs->configHome()).path() + QStringLiteral("/kept.ini");
    writeFile(kept, "[Settings]\nInterval=5\n");
    const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(kept, permissions));
    QVERIFY(QFile::link(kept, m_dirs->settingsFile()));

    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QStringLiteral("7"));
    QVERIFY(QFileInfo(m_dirs->settingsFile()).isSymLink());
    QCOMPARE(TestFiles::ReadFile(kept), QByteArray("[Settings]\nInterval=7\n"));
    const QFile::Permissions user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(kept) & ~user, permissions);
    QVERIFY(!QFileInfo::exists(kept + QStringLiteral(".lock")));
}

void SettingsStoreTest::passesOverStrayLinesAndKeepsThem_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("report"); // what the one line on stderr says; empty for none

    // Each file holds Interval=1 as the line that counts and DraviksDir=/x/draviks/.
    const QByteArray keys = "Interval=1\nDraviksDir=/x/draviks/\n";
    QTest::newRow("a line of text") << "[Settings]\nInterval=1\ngarbage\nDraviksDir=/x/draviks/\n"_ba
                                    << QStringLiteral("line 3 is not");
    QTest::newRow("a key without =") << "[Settings]\nInterval 5\n"_ba + keys << QStringLiteral("line 2 is not");
    QTest::newRow("=x in another section") << "[Other]\n=x\n[Settings]\n"_ba + keys << QStringLiteral("line 2 is not");
    QTest::newRow("several") << "[Settings]\nfirst\nInterval=1\n= \nsecond\nDraviksDir=/x/draviks/\nthird"_ba
                             << QStringLiteral("line 2 and 3 more are not");
    QTest::newRow("control characters") << "[Settings]\n\x01\x02\n"_ba + keys << QStringLiteral("line 2 is not");
    QTest::newRow("unclosed section, read as QSettings reads it")
        << "[Other]\nInterval=9\n[Settings\n"_ba + keys << QStringLiteral("line 3 is not");
    QTest::newRow("text after a section") << "[Settings] x\n"_ba + keys << QStringLiteral("line 1 is not");
    QTest::newRow("no section name") << "[]\nInterval=9\n[Settings]\n"_ba + keys << QStringLiteral("line 1 is not");
    QTest::newRow("after a byte-order mark")
        << "\xef\xbb\xbf[Settings]\nx\n"_ba + keys << QStringLiteral("line 2 is not");

    // Read without a word.
    QTest::newRow("Latin-1 byte in a comment") << "; caf\xe9\n[Settings]\n"_ba + keys << QString();
    QTest::newRow("bytes that are not UTF-8 in another key")
        << "[Other]\nName=caf\xe9\n[Settings]\n"_ba + keys << QString();
    QTest::newRow("key before the first section") << "Interval=9\nDraviksDir=/no/\n[Settings]\n"_ba + keys << QString();
    QTest::newRow("DOS end-of-file mark")
        << "[Settings]\r\nInterval=1\r\nDraviksDir=/x/draviks/\r\n\x1a"_ba << QString();
    QTest::newRow("CR-only line ends") << "[Settings]\rInterval=1\rDraviksDir=/x/draviks/\r"_ba << QString();
    QTest::newRow("comment after a section") << "[Settings] ; mine\n"_ba + keys << QString();
}

// As the saver and the settings window meet such files: in their own process, one line on
// stderr at most, and a save that changes the line it saves and no other byte.
void SettingsStoreTest::passesOverStrayLinesAndKeepsThem()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, report);
    const QString path = m_dirs->settingsFile();
    writeFile(path, contents);

    const ProbeRun dir =
        runProbe({QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral(" ")}, m_dirs->environment());
    QVERIFY2(dir.exitCode == 0, qPrintable(dir.errors));
    QCOMPARE(dir.output, bracketed(QStringLiteral("/x/draviks/")));
    const ProbeRun save =
        runProbe({QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("10")}, m_dirs->environment());
    QVERIFY2(save.exitCode == 0, qPrintable(save.errors));
    for (const ProbeRun &run : {dir, save}) {
        if (report.isEmpty()) {
            QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
        } else {
            QCOMPARE(run.errors.count(u'\n'), 1);
            QVERIFY2(run.errors.startsWith(path + QStringLiteral(": ") + report), qPrintable(run.errors));
        }
    }
    QByteArray expected = contents;
    const qsizetype counting = expected.lastIndexOf("Interval=1");
    QVERIFY(counting >= 0);
    expected.insert(counting + qsizetype(qstrlen("Interval=1")), '0');
    QCOMPARE(TestFiles::ReadFile(path), expected);
    QCOMPARE(runProbe({QStringLiteral("get"), QStringLiteral("Interval"), QStringLiteral("2")}, m_dirs->environment())
                 .output,
             bracketed(QStringLiteral("10")));
}

void SettingsStoreTest::keepsNamesThatAreNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("Latin-1 letter") << "/media/f\xeates/draviks/"_ba;
    QTest::newRow("before a hex digit") << "/media/\xe9"
                                           "a/draviks/"_ba;
    QTest::newRow("two bytes in a row") << "/media/\xff\xfe/"_ba;
    QTest::newRow("beside UTF-8") << "/media/caf\xc3\xa9\xe9/"_ba;
    QTest::newRow("truncated UTF-8 at the end") << "/media/x\xc3"_ba;
    QTest::newRow("with a blank at the end") << "/media/\xe9 "_ba;
}

// A photo directory named by bytes that are not UTF-8 is saved so that this store and the
// QSettings INI format the earlier version read with give back the same bytes.
void SettingsStoreTest::keepsNamesThatAreNotUtf8()
{
    QFETCH(QByteArray, name);
    const QString value = FileName::fromBytes(name);
    saveDir(value);
    QCOMPARE(FileName::toBytes(getDir()), std::optional<QByteArray>(name));
    const QByteArray written = TestFiles::ReadFile(m_dirs->settingsFile());
    QVERIFY2(QString::fromUtf8(written).toUtf8() == written, written.constData());
    const QVariant earlier =
        QSettings(m_dirs->settingsFile(), QSettings::IniFormat).value(QStringLiteral("Settings/DraviksDir"));
    QCOMPARE(FileName::toBytes(earlier.toString()), std::optional<QByteArray>(name));
}

// File times only move on with the clock tick, so another program may change the file without
// changing its size or its time. Neither a read nor a save here may miss that change.
void SettingsStoreTest::seesSameSizedChangeWithinOneClockTick()
{
    const QString path = m_dirs->settingsFile();
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QStringLiteral("1111"));
    saveDir(QStringLiteral("/aaaa/"));
    QCOMPARE(getDir(), QStringLiteral("/aaaa/"));

    const qint64 sizeBefore = QFileInfo(path).size();
    const QDateTime timeBefore = QFileInfo(path).lastModified();
    QByteArray changed = TestFiles::ReadFile(path);
    changed.replace("/aaaa/", "/bbbb/");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(changed);
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(timeBefore, QFileDevice::FileModificationTime));
    }
    QCOMPARE(QFileInfo(path).size(), sizeBefore);
    QCOMPARE(QFileInfo(path).lastModified(), timeBefore);

    QCOMPARE(getDir(), QStringLiteral("/bbbb/"));
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QStringLiteral("2222"));
    QCOMPARE(getDir(), QStringLiteral("/bbbb/"));
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QString()),
             QStringLiteral("2222"));
}

void SettingsStoreTest::concurrentSavesLoseNothing()
{
    const int saves = 200;
    const QStringList keys = {SettingNames::Interval, SettingNames::DraviksDir, QStringLiteral("Third")};
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString &key : keys) {
        auto writer = std::make_unique<QProcess>();
        writer->setProcessEnvironment(m_dirs->environment());
        writer->start(QStringLiteral(SETTINGS_PROBE),
                      {QStringLiteral("set-many"), key, key + u'-', QString::number(saves)});
        QVERIFY(writer->waitForStarted());
        writers.push_back(std::move(writer));
    }

    // Every read must find a whole file, and no key may fall back to an earlier value, which is
    // what a save that overwrote another process's save would show.
    QHash<QString, int> lastSeen;
    int wholeFilesSeen = 0;
    const auto stillRunning = [&] {
        bool running = false;
        for (const auto &writer : writers) {
            if (writer->state() != QProcess::NotRunning && !writer->waitForFinished(1))
                running = true;
        }
        return running;
    };
    while (stillRunning()) {
        const QByteArray raw = TestFiles::ReadFile(m_dirs->settingsFile());
        if (raw.isEmpty())
            continue;
        QVERIFY2(raw.startsWith("[Settings]\n") && raw.endsWith('\n'), raw.constData());
        for (const QString &key : keys) {
            const QString value = GetSetting(kApplicationTitle, SettingNames::Section, key, QString());
            if (value.isEmpty())
                continue;
            const QRegularExpressionMatch match =
                QRegularExpression(u'^' + key + QStringLiteral("-(\\d{4})$")).match(value);
            QVERIFY2(match.hasMatch(), qPrintable(value));
            const int index = match.captured(1).toInt();
            QVERIFY2(index >= lastSeen.value(key, 0), qPrintable(QStringLiteral("%1 went back to %2").arg(key, value)));
            lastSeen[key] = index;
        }
        ++wholeFilesSeen;
    }

    for (const auto &writer : writers) {
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
    }
    QVERIFY2(wholeFilesSeen > 0, "the reader never saw the file while the writers ran");
    for (const QString &key : keys)
        QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, key, QString()), key + QStringLiteral("-0199"));
}

void SettingsStoreTest::placeObstacle(Obstacle obstacle)
{
    const QString path = m_dirs->settingsFile();
    switch (obstacle) {
    case Obstacle::SettingsPathIsDirectory:
        QVERIFY(QDir().mkpath(path));
        break;
    case Obstacle::ConfigHomeIsFile: {
        const QString blocker = m_dirs->configHome() + QStringLiteral("/blocker");
        writeFile(blocker, "not a directory");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker + QStringLiteral("/config")));
        break;
    }
    case Obstacle::DamagedFile:
        writeFile(path, QByteArray("[Settings]\nDraviksDir=/old/\n\0\x02", 30));
        break;
    case Obstacle::FileSizeLimit:
        writeFile(path, "[Settings]\nDraviksDir=/old/\n");
        break;
    case Obstacle::ReadOnlyDirectory:
        writeFile(path, "[Settings]\nDraviksDir=/old/\n");
        QVERIFY(QFile::setPermissions(m_dirs->configHome(), QFile::ReadOwner | QFile::ExeOwner));
        break;
    case Obstacle::ReadOnlyFile:
        writeFile(path, "[Settings]\nDraviksDir=/old/\n");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        break;
    case Obstacle::UnreadableFile:
        writeFile(path, "[Settings]\nDraviksDir=/old/\n");
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        break;
    }
}

void SettingsStoreTest::failedSaveKeepsTheFile_data()
{
    QTest::addColumn<Obstacle>("obstacle");

    // Root may write anywhere, so only these stop a save for every user.
    QTest::newRow("settings path is a directory") << Obstacle::SettingsPathIsDirectory;
    QTest::newRow("config home is a file") << Obstacle::ConfigHomeIsFile;
    QTest::newRow("damaged file") << Obstacle::DamagedFile;
    QTest::newRow("file size limit") << Obstacle::FileSizeLimit;
    if (!runningAsRoot()) {
        QTest::newRow("read-only directory") << Obstacle::ReadOnlyDirectory;
        QTest::newRow("read-only file") << Obstacle::ReadOnlyFile;
        QTest::newRow("unreadable file") << Obstacle::UnreadableFile;
    }
}

void SettingsStoreTest::failedSaveKeepsTheFile()
{
    QFETCH(Obstacle, obstacle);
    placeObstacle(obstacle);
    const QString path = SettingsFilePath(kApplicationTitle);
    const QByteArray before = TestFiles::ReadFile(path);
    const QString longValue = QString(4096, u'x');

    const std::optional<RuntimeError> error = errorRaisedBy([&] {
        std::optional<FileSizeLimit> limit;
        if (obstacle == Obstacle::FileSizeLimit)
            limit.emplace(512);
        saveDir(longValue);
    });
    QVERIFY(error);
    QCOMPARE(int(error->number()), int(RuntimeError::PathFileAccess));
    QCOMPARE(error->source(), QStringLiteral("SaveSetting(\"DraviksDir\")"));
    QVERIFY2(error->detail().contains(QFileInfo(path).path()), qPrintable(error->detail()));

    QCOMPARE(TestFiles::ReadFile(path), before);
    const QStringList leftovers = QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(leftovers.size() <= 1, qPrintable(leftovers.join(u',')));
}

void SettingsStoreTest::unreadableFileIsAnError_data()
{
    QTest::addColumn<Obstacle>("obstacle");

    QTest::newRow("settings path is a directory") << Obstacle::SettingsPathIsDirectory;
    QTest::newRow("damaged file") << Obstacle::DamagedFile;
    if (!runningAsRoot())
        QTest::newRow("unreadable file") << Obstacle::UnreadableFile;
}

void SettingsStoreTest::unreadableFileIsAnError()
{
    QFETCH(Obstacle, obstacle);
    placeObstacle(obstacle);

    const std::optional<RuntimeError> error = errorRaisedBy([] { getDir(); });
    QVERIFY(error);
    QCOMPARE(int(error->number()), int(RuntimeError::PathFileAccess));
    QCOMPARE(error->source(), QStringLiteral("GetSetting(\"DraviksDir\")"));
    QVERIFY2(error->detail().contains(m_dirs->settingsFile()), qPrintable(error->detail()));

    const ProbeRun get =
        runProbe({QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral(" ")}, m_dirs->environment());
    QCOMPARE(get.exitCode, int(RuntimeError::PathFileAccess));
    QVERIFY2(get.output.isEmpty(), qPrintable(get.output));
    QVERIFY2(get.errors.contains(QStringLiteral("Path/File access error")), qPrintable(get.errors));
}

void SettingsStoreTest::refusesFilesThatAreNotSettings_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("where");

    const QString first = QStringLiteral("line 1 holds a NUL byte");
    const QString utf16 = QStringLiteral("UTF-16 text, which is not read");
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0\n",
                                          25)
                            << first;
    QTest::newRow("NUL in a value") << QByteArray("[Settings]\nInterval=5\0\n", 23)
                                    << QStringLiteral("line 2 holds a NUL byte");
    QTest::newRow("NUL after CR-only lines")
        << QByteArray("[Settings]\r\r\nInterval=5\0\r", 25) << QStringLiteral("line 3 holds a NUL byte");
    const QString text = QStringLiteral("[Settings]\nInterval=5\n");
    const QByteArray littleEndian(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QTest::newRow("UTF-16 with its mark") << QByteArray("\xff\xfe") + littleEndian << utf16;
    QByteArray bigEndian = littleEndian;
    for (qsizetype at = 0; at + 1 < bigEndian.size(); at += 2)
        std::swap(bigEndian[at], bigEndian[at + 1]);
    QTest::newRow("UTF-16 big-endian with its mark") << QByteArray("\xfe\xff") + bigEndian << utf16;
    QTest::newRow("UTF-16 without a mark") << littleEndian << first;
}

// Reported, naming the reason, and never rewritten: nothing in it can be read as settings.
void SettingsStoreTest::refusesFilesThatAreNotSettings()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, where);
    const QString path = m_dirs->settingsFile();
    writeFile(path, contents);

    const auto check = [&](const std::optional<RuntimeError> &error) {
        QVERIFY(error);
        QCOMPARE(int(error->number()), int(RuntimeError::PathFileAccess));
        QVERIFY2(error->detail().contains(path), qPrintable(error->detail()));
        QVERIFY2(error->detail().contains(QStringLiteral("not a settings file")), qPrintable(error->detail()));
        QVERIFY2(error->detail().contains(where), qPrintable(error->detail()));
    };
    check(errorRaisedBy([] { getDir(); }));
    check(errorRaisedBy([] { saveDir(QStringLiteral("/new/")); }));
    QCOMPARE(TestFiles::ReadFile(path), contents);
}

void SettingsStoreTest::refusesHostileFiles_data()
{
    QTest::addColumn<Hostile>("hostile");
    QTest::addColumn<QString>("reason");

    QTest::newRow("directory") << Hostile::Directory << QStringLiteral("a directory, not a regular file");
    QTest::newRow("named pipe") << Hostile::NamedPipe << QStringLiteral("not a regular file");
    QTest::newRow("link to /dev/zero") << Hostile::LinkToDevZero << QStringLiteral("not a regular file");
    QTest::newRow("over 1 MB") << Hostile::Oversized << QStringLiteral("larger than 1 MB");
}

// In a probe: a read that blocks, or one that never ends, shows as a probe that does not end.
void SettingsStoreTest::refusesHostileFiles()
{
    QFETCH(Hostile, hostile);
    QFETCH(QString, reason);
    const QString path = m_dirs->settingsFile();
    switch (hostile) {
    case Hostile::Directory:
        QVERIFY(QDir().mkdir(path));
        break;
    case Hostile::NamedPipe:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Hostile::LinkToDevZero:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case Hostile::Oversized:
        writeFile(path, paddedTo(kSizeLimit + 1));
        break;
    }
    const QByteArray before = entryAt(path);

    const QList<QStringList> commands = {{QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral(" ")},
                                         {QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("5")}};
    for (const QStringList &command : commands) {
        const ProbeRun run = runProbe(command, m_dirs->environment(), 10000);
        QCOMPARE(run.exitCode, int(RuntimeError::PathFileAccess));
        QVERIFY2(run.errors.contains(path) && run.errors.contains(reason), qPrintable(run.errors));
    }
    QCOMPARE(entryAt(path), before);
}

void SettingsStoreTest::refusesWhatTheFileCannotHold_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("badName");

    const QString section = SettingNames::Section;
    const QString one = QStringLiteral("1");
    QTest::newRow("equals sign in the key") << section << QStringLiteral("a=b") << one << true;
    QTest::newRow("line break in the key") << section << QStringLiteral("a\nb") << one << true;
    QTest::newRow("comment mark first") << section << QStringLiteral(";a") << one << true;
    QTest::newRow("empty key") << section << QString() << one << true;
    QTest::newRow("blank before the key") << section << QStringLiteral(" Interval") << one << true;
    QTest::newRow("bracket in the section") << QStringLiteral("Set]tings") << SettingNames::Interval << one << true;
    QTest::newRow("empty section") << QString() << SettingNames::Interval << one << true;
    QTest::newRow("broken UTF-16 in the value")
        << section << SettingNames::DraviksDir << QString(QChar(0xd800)) + QStringLiteral("/p/") << false;
}

// A name or a value the file cannot hold as given is an error, not something else stored.
void SettingsStoreTest::refusesWhatTheFileCannotHold()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, badName);
    const QString path = m_dirs->settingsFile();
    const QByteArray before("[Settings]\nInterval=5\n");
    writeFile(path, before);

    const std::optional<RuntimeError> saveError =
        errorRaisedBy([&] { SaveSetting(kApplicationTitle, section, key, value); });
    QVERIFY(saveError);
    QCOMPARE(int(saveError->number()), int(RuntimeError::PathFileAccess));
    QVERIFY2(saveError->detail().contains(path), qPrintable(saveError->detail()));
    QCOMPARE(TestFiles::ReadFile(path), before);

    if (badName) {
        const std::optional<RuntimeError> getError =
            errorRaisedBy([&] { GetSetting(kApplicationTitle, section, key, QString()); });
        QVERIFY(getError);
        QCOMPARE(int(getError->number()), int(RuntimeError::PathFileAccess));
    }
}

void SettingsStoreTest::needsNothingButTheSettingsFile_data()
{
    QTest::addColumn<TempDir>("tempDir");

    QTest::newRow("TMPDIR is a file") << TempDir::File;
    QTest::newRow("TMPDIR is missing") << TempDir::Missing;
    if (!runningAsRoot())
        QTest::newRow("TMPDIR is read-only") << TempDir::ReadOnlyDirectory;
}

void SettingsStoreTest::needsNothingButTheSettingsFile()
{
    QFETCH(TempDir, tempDir);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString tmp = scratch.filePath(QStringLiteral("tmp"));
    switch (tempDir) {
    case TempDir::File:
        writeFile(tmp, "not a directory");
        break;
    case TempDir::Missing:
        break;
    case TempDir::ReadOnlyDirectory:
        QVERIFY(QDir().mkpath(tmp));
        QVERIFY(QFile::setPermissions(tmp, QFile::ReadOwner | QFile::ExeOwner));
        break;
    }
    const QByteArray before = entryAt(tmp);
    writeFile(m_dirs->settingsFile(), "[Settings]\nDraviksDir=/p/\n");
    QProcessEnvironment environment = m_dirs->environment();
    environment.insert(QStringLiteral("TMPDIR"), tmp);

    const ProbeRun save =
        runProbe({QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("7")}, environment);
    QVERIFY2(save.exitCode == 0, qPrintable(save.errors));
    const ProbeRun interval =
        runProbe({QStringLiteral("get"), QStringLiteral("Interval"), QStringLiteral("2")}, environment);
    QVERIFY2(interval.exitCode == 0, qPrintable(interval.errors));
    QCOMPARE(interval.output, bracketed(QStringLiteral("7")));
    const ProbeRun dir =
        runProbe({QStringLiteral("get"), QStringLiteral("DraviksDir"), QStringLiteral(" ")}, environment);
    QCOMPARE(dir.output, bracketed(QStringLiteral("/p/")));

    QCOMPARE(entryAt(tmp), before);
    if (tempDir == TempDir::ReadOnlyDirectory) {
        QVERIFY(QDir(tmp).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QFile::setPermissions(tmp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// A save killed at any moment leaves the settings file whole and nothing else behind, neither
// in TMPDIR nor next to the file (but the lock, which the next save takes over).
void SettingsStoreTest::killedSavesLeaveNothingBehind()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QProcessEnvironment environment = m_dirs->environment();
    environment.insert(QStringLiteral("TMPDIR"), tmp.path());
    const QString path = m_dirs->settingsFile();
    const int kills = 40;

    for (int kill = 0; kill < kills; ++kill) {
        const QString prefix = QStringLiteral("/photos/%1/").arg(kill);
        QProcess saver;
        saver.setProcessEnvironment(environment);
        saver.start(QStringLiteral(SETTINGS_PROBE),
                    {QStringLiteral("set-many"), QStringLiteral("DraviksDir"), prefix, QStringLiteral("100000")});
        QVERIFY(saver.waitForStarted());
        // Once it saves back to back, kill it at some moment of a save.
        QTRY_VERIFY_WITH_TIMEOUT(TestFiles::ReadFile(path).contains(prefix.toUtf8()), 20000);
        QTest::qSleep(QRandomGenerator::global()->bounded(1, 15));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
    }

    const QDir::Filters everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QCOMPARE(QDir(tmp.path()).entryList(everything), QStringList());
    const QString name = QFileInfo(path).fileName();
    QStringList left = QDir(m_dirs->configHome()).entryList(everything);
    left.removeOne(name + QStringLiteral(".lock"));
    QCOMPARE(left, QStringList{name});
    const QString last = QStringLiteral("/photos/%1/").arg(kills - 1);
    QVERIFY2(getDir().startsWith(last), qPrintable(getDir()));
    saveDir(QStringLiteral("/after/"));
    QCOMPARE(getDir(), QStringLiteral("/after/"));
}

void SettingsStoreTest::takesOverAbandonedLocks_data()
{
    QTest::addColumn<QByteArray>("lockContents");

    QTest::newRow("empty: killed as it created it") << QByteArray();
    QTest::newRow("of a process that ended")
        << QByteArray("2147483646\nsettings-probe\n" + QSysInfo::machineHostName().toUtf8() + "\n");
}

void SettingsStoreTest::takesOverAbandonedLocks()
{
    QFETCH(QByteArray, lockContents);
    const QString lock = m_dirs->settingsFile() + QStringLiteral(".lock");
    writeFile(lock, lockContents);

    const ProbeRun save =
        runProbe({QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("7")}, m_dirs->environment());
    QVERIFY2(save.exitCode == 0, qPrintable(save.errors));
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QString()),
             QStringLiteral("7"));
    QVERIFY(!QFileInfo::exists(lock));
}

// Earlier versions saved through QSettings, which holds a QLockFile of the same name.
void SettingsStoreTest::waitsForTheLockOfEarlierVersions()
{
    QLockFile held(m_dirs->settingsFile() + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    QProcess saver;
    saver.setProcessEnvironment(m_dirs->environment());
    saver.start(QStringLiteral(SETTINGS_PROBE),
                {QStringLiteral("set"), QStringLiteral("Interval"), QStringLiteral("7")});
    QVERIFY(saver.waitForStarted());
    QVERIFY2(!saver.waitForFinished(1000), "the save did not wait for the lock");
    QVERIFY(!QFileInfo::exists(m_dirs->settingsFile()));

    held.unlock();
    QVERIFY(saver.waitForFinished(30000));
    QCOMPARE(saver.exitStatus(), QProcess::NormalExit);
    QVERIFY2(saver.exitCode() == 0, saver.readAllStandardError().constData());
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QString()),
             QStringLiteral("7"));
}

QTEST_GUILESS_MAIN(SettingsStoreTest)

#include "tst_settings_store.moc"

#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
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

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        return "file " + contentsOf(path);
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
    void readsFilesWrittenByOthers_data();
    void readsFilesWrittenByOthers();
    void readsWhatTheEarlierVersionWrote_data();
    void readsWhatTheEarlierVersionWrote();
    void savesIntoItsOwnLine_data();
    void savesIntoItsOwnLine();
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
    QCOMPARE(contentsOf(expected), QByteArray("[Settings]\nInterval=5\n"));
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
    QVERIFY(contentsOf(m_dirs->settingsFile()).startsWith("[Settings]\n"));
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

void SettingsStoreTest::readsFilesWrittenByOthers_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString dir = SettingNames::DraviksDir;
    const QString interval = SettingNames::Interval;
    QTest::newRow("unquoted commas") << QByteArray("[Settings]\nDraviksDir=/photos/a,b/\n") << dir
                                     << QStringLiteral("/photos/a,b/");
    QTest::newRow("quoted backslashes") << QByteArray("[Settings]\nDraviksDir=\"E:\\\\DRAVIKS\\\\\"\n") << dir
                                        << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("quoted blank") << QByteArray("[Settings]\nDraviksDir=\" \"\n") << dir << QStringLiteral(" ");
    QTest::newRow("CR LF lines") << QByteArray("[Settings]\r\nInterval=9\r\nDraviksDir=/p/\r\n") << dir
                                 << QStringLiteral("/p/");
    QTest::newRow("UTF-8") << QByteArray("[Settings]\nDraviksDir=/fotos/\xc3\xa9t\xc3\xa9/\n") << dir
                           << QStringLiteral("/fotos/été/");
    QTest::newRow("key absent") << QByteArray("[Settings]\nInterval=9\n") << dir << QStringLiteral("absent");
    QTest::newRow("section absent") << QByteArray("[Other]\nDraviksDir=/p/\n") << dir << QStringLiteral("absent");
    QTest::newRow("empty file") << QByteArray() << dir << QStringLiteral("absent");

    // Typed by hand: the text after "key=" is the value, whatever it holds.
    QTest::newRow("comma and blank") << QByteArray("[Settings]\nDraviksDir=/media/cdrom/Dravik, Photos/draviks/\n")
                                     << dir << QStringLiteral("/media/cdrom/Dravik, Photos/draviks/");
    QTest::newRow("backslashes") << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=5\n") << dir
                                 << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("network share") << QByteArray("[Settings]\nDraviksDir=\\\\server\\share\\draviks\\\n") << dir
                                   << QStringLiteral("\\\\server\\share\\draviks\\");
    QTest::newRow("semicolon and hash") << QByteArray("[Settings]\nDraviksDir=/p;1/#2/\n") << dir
                                        << QStringLiteral("/p;1/#2/");
    QTest::newRow("percent and quotes") << QByteArray("[Settings]\nDraviksDir=/100%20 \"x\"/\n") << dir
                                        << QStringLiteral("/100%20 \"x\"/");
    QTest::newRow("blank at the end") << QByteArray("[Settings]\nDraviksDir=/p/ \n") << dir << QStringLiteral("/p/");
    QTest::newRow("blank after the equals sign")
        << QByteArray("[Settings]\nDraviksDir= /p/\n") << dir << QStringLiteral("/p/");
    QTest::newRow("blanks around the equals sign") << QByteArray("[Settings]\nDraviksDir = /media/cdrom/draviks/\n")
                                                   << dir << QStringLiteral("/media/cdrom/draviks/");
    QTest::newRow("blanks around a number")
        << QByteArray("[Settings]\nInterval = 1 \n") << interval << QStringLiteral("1");
    QTest::newRow("tabs around the value")
        << QByteArray("[Settings]\nDraviksDir\t=\t/p/\t\n") << dir << QStringLiteral("/p/");
    QTest::newRow("quotes keep blanks") << QByteArray("[Settings]\nDraviksDir=\"/p/ \"\n") << dir
                                        << QStringLiteral("/p/ ");
    QTest::newRow("quotes keep blanks, blanks around them")
        << QByteArray("[Settings]\nDraviksDir =  \" /p/ \"  \n") << dir << QStringLiteral(" /p/ ");
    QTest::newRow("blank inside kept") << QByteArray("[Settings]\nDraviksDir= /a b/ \n") << dir
                                       << QStringLiteral("/a b/");
    QTest::newRow("at sign") << QByteArray("[Settings]\nDraviksDir=@ByteArray(/p/)\n") << dir
                             << QStringLiteral("@ByteArray(/p/)");
    QTest::newRow("quoted") << QByteArray("[Settings]\nDraviksDir=\"/p/\"\n") << dir << QStringLiteral("/p/");
    QTest::newRow("quoted, escapes unknown")
        << QByteArray("[Settings]\nDraviksDir=\"E:\\DRAVIKS\\\"\n") << dir << QStringLiteral("\"E:\\DRAVIKS\\\"");
    QTest::newRow("last line without a break")
        << QByteArray("[Settings]\nInterval=8") << interval << QStringLiteral("8");

    // As the earlier version wrote them.
    QTest::newRow("escaped backslashes") << QByteArray("[Settings]\nDraviksDir=E:\\\\DRAVIKS\\\\\n") << dir
                                         << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("escaped at sign") << QByteArray("[Settings]\nDraviksDir=@@x\n") << dir << QStringLiteral("@x");

    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf[Settings]\nDraviksDir=/p/\n") << dir
                                     << QStringLiteral("/p/");
    QTest::newRow("byte-order mark, CR LF")
        << QByteArray("\xef\xbb\xbf[Settings]\r\nInterval=7\r\n") << interval << QStringLiteral("7");

    QTest::newRow("lower-case names") << QByteArray("[settings]\ninterval=5\n") << interval << QStringLiteral("5");
    QTest::newRow("blanks around names") << QByteArray("  [ Settings ]  \n\tInterval =5\n") << interval
                                         << QStringLiteral("5");
    QTest::newRow("comments and blank lines")
        << QByteArray("; by hand\n# also a comment\n\n[Settings]\n; the interval\n\nInterval=7\n# end\n") << interval
        << QStringLiteral("7");
    QTest::newRow("later of two") << QByteArray("[Settings]\nInterval=3\ninterval=4\n") << interval
                                  << QStringLiteral("4");
    QTest::newRow("override appended") << QByteArray("[Settings]\nInterval=30\nDraviksDir=/p/\nInterval=1\n")
                                       << interval << QStringLiteral("1");
    QTest::newRow("section given twice") << QByteArray("[Settings]\nA=1\n[Other]\nInterval=2\n[settings]\nInterval=6\n")
                                         << interval << QStringLiteral("6");
    QTest::newRow("later section of the same name")
        << QByteArray("[Settings]\nInterval=3\n[Other]\nInterval=2\n[settings]\nInterval=6\n") << interval
        << QStringLiteral("6");
    QTest::newRow("key before any section")
        << QByteArray("Interval=9\n[Settings]\n") << interval << QStringLiteral("absent");
    QTest::newRow("1 MB") << paddedTo(kSizeLimit) << dir << QStringLiteral("/p/");

    // Line ends of other systems.
    QTest::newRow("CR alone") << QByteArray("[Settings]\rInterval=5\rDraviksDir=/p/\r") << dir << QStringLiteral("/p/");
    QTest::newRow("CR alone, last line") << QByteArray("[Settings]\rInterval=5") << interval << QStringLiteral("5");
    QTest::newRow("mixed line ends") << QByteArray("[Settings]\r\nInterval=5\rDraviksDir=/p/\n") << dir
                                     << QStringLiteral("/p/");
    QTest::newRow("DOS end-of-file mark")
        << QByteArray("[Settings]\r\nInterval=5\x1a") << interval << QStringLiteral("5");

    // A name that is not UTF-8 (a disc with Latin-1 names), as the bytes themselves or escaped.
    QTest::newRow("bytes that are not UTF-8") << QByteArray("[Settings]\nDraviksDir=/f\xeates/draviks/\n") << dir
                                              << FileName::fromBytes("/f\xeates/draviks/");
    QTest::newRow("bytes that are not UTF-8, escaped") << QByteArray("[Settings]\nDraviksDir=/f\\xdceates/draviks/\n")
                                                       << dir << FileName::fromBytes("/f\xeates/draviks/");
    QTest::newRow("bytes that are not UTF-8, quoted")
        << QByteArray("[Settings]\nDraviksDir=\"/f\\xdcea\\x61, \"\n") << dir
        << FileName::fromBytes("/f\xea"
                               "a, ");
    QTest::newRow("escapes in capitals") << QByteArray("[Settings]\nDraviksDir=\"/f\\xDCEA\\x4F\\x7e\"\n") << dir
                                         << FileName::fromBytes("/f\xeaO~");
}

void SettingsStoreTest::readsFilesWrittenByOthers()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeFile(m_dirs->settingsFile(), contents);
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, key, QStringLiteral("absent")), expected);
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
    QCOMPARE(contentsOf(kept), QByteArray("[Settings]\nInterval=7\n"));
    const QFile::Permissions user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(kept) & ~user, permissions);
    QVERIFY(!QFileInfo::exists(kept + QStringLiteral(".lock")));
}

void SettingsStoreTest::savesIntoItsOwnLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QString interval = SettingNames::Interval;
    const QString ten = QStringLiteral("10");
    QTest::newRow("empty file") << QByteArray() << interval << ten << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("lower-case names") << QByteArray("[settings]\ninterval=5\n") << interval << ten
                                      << QByteArray("[settings]\nInterval=10\n");
    QTest::newRow("indented key") << QByteArray("[Settings]\n  interval = 5\n") << interval << ten
                                  << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("comments and other sections")
        << QByteArray("; by hand\n[Other]\nColour = blue \n\n[Settings]\n# photos\nDraviksDir=/p/\n") << interval << ten
        << QByteArray("; by hand\n[Other]\nColour = blue \n\n[Settings]\n# photos\nDraviksDir=/p/\nInterval=10\n");
    QTest::newRow("after the section's last key")
        << QByteArray("[Settings]\nDraviksDir=/p/\n\n; next\n[Other]\nX=1\n") << interval << ten
        << QByteArray("[Settings]\nDraviksDir=/p/\nInterval=10\n\n; next\n[Other]\nX=1\n");
    QTest::newRow("section added") << QByteArray("[Other]\nX=1\n") << interval << ten
                                   << QByteArray("[Other]\nX=1\n\n[Settings]\nInterval=10\n");
    QTest::newRow("section added after a blank line")
        << QByteArray("[Other]\nX=1\n\n") << interval << ten << QByteArray("[Other]\nX=1\n\n[Settings]\nInterval=10\n");
    QTest::newRow("CR LF replaced") << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=5\r\n") << interval << ten
                                    << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=10\r\n");
    QTest::newRow("CR LF added") << QByteArray("[Other]\r\nX=1\r\n") << interval << ten
                                 << QByteArray("[Other]\r\nX=1\r\n\r\n[Settings]\r\nInterval=10\r\n");
    QTest::newRow("byte-order mark kept") << QByteArray("\xef\xbb\xbf[Settings]\nInterval=5\n") << interval << ten
                                          << QByteArray("\xef\xbb\xbf[Settings]\nInterval=10\n");
    QTest::newRow("byte-order mark kept, section added")
        << QByteArray("\xef\xbb\xbf; mine\r\n") << interval << ten
        << QByteArray("\xef\xbb\xbf; mine\r\n\r\n[Settings]\r\nInterval=10\r\n");
    QTest::newRow("CR alone replaced") << QByteArray("[Settings]\rInterval=5\rDraviksDir=/p/") << interval << ten
                                       << QByteArray("[Settings]\rInterval=10\rDraviksDir=/p/");
    QTest::newRow("CR alone added") << QByteArray("[Other]\rX=1\r") << interval << ten
                                    << QByteArray("[Other]\rX=1\r\r[Settings]\rInterval=10\r");
    QTest::newRow("end-of-file mark stays last") << QByteArray("[Settings]\r\nDraviksDir=/p/\x1a") << interval << ten
                                                 << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=10\r\n\x1a");
    QTest::newRow("end-of-file marks alone")
        << QByteArray("\x1a\x1a") << interval << ten << QByteArray("[Settings]\nInterval=10\n\x1a\x1a");
    QTest::newRow("blanks around the equals sign")
        << QByteArray("[Settings]\nInterval = 5 \n") << interval << ten << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("stray lines kept")
        << QByteArray("garbage first\n[Settings]\nInterval 5\n=x\n; caf\xe9\nInterval=5\n[broken\n\x01\n") << interval
        << ten << QByteArray("garbage first\n[Settings]\nInterval 5\n=x\n; caf\xe9\nInterval=10\n[broken\n\x01\n");
    QTest::newRow("bytes that are not UTF-8 kept")
        << QByteArray("[Other]\nName=caf\xe9\n[Settings]\nDraviksDir=/f\xeates/\nInterval=5\n") << interval << ten
        << QByteArray("[Other]\nName=caf\xe9\n[Settings]\nDraviksDir=/f\xeates/\nInterval=10\n");
    QTest::newRow("name that is not UTF-8 written escaped")
        << QByteArray("[Settings]\nDraviksDir=/p/\n") << SettingNames::DraviksDir
        << FileName::fromBytes("/f\xeates/\xe9"
                               "a/")
        << QByteArray("[Settings]\nDraviksDir=/f\\xdceates/\\xdce9\\x61/\n");
    QTest::newRow("last line without a break")
        << QByteArray("[Settings]\nInterval=5") << interval << ten << QByteArray("[Settings]\nInterval=10");
    QTest::newRow("added after a line without a break") << QByteArray("[Settings]\nDraviksDir=/p/") << interval << ten
                                                        << QByteArray("[Settings]\nDraviksDir=/p/\nInterval=10\n");
    QTest::newRow("later of two") << QByteArray("[Settings]\ninterval=5\nInterval=6\n") << interval << ten
                                  << QByteArray("[Settings]\ninterval=5\nInterval=10\n");
    QTest::newRow("later section of the same name")
        << QByteArray("[Settings]\nInterval=5\n[Other]\nX=1\n[settings]\nInterval=6\n") << interval << ten
        << QByteArray("[Settings]\nInterval=5\n[Other]\nX=1\n[settings]\nInterval=10\n");
    QTest::newRow("key before any section") << QByteArray("Interval=1\n[Settings]\n") << interval << ten
                                            << QByteArray("Interval=1\n[Settings]\nInterval=10\n");
    QTest::newRow("hand-written value kept")
        << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=5\nZoom=a, b\n") << interval << ten
        << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=10\nZoom=a, b\n");
    QTest::newRow("value that needs quotes")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral(" ")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=\" \"\n");
    QTest::newRow("directory ending in a blank")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral("/media/My Car /")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=/media/My Car /\n");
    QTest::newRow("directory name ending in a blank")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral("/media/draviks ")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=\"/media/draviks \"\n");
}

// Others edit the file by hand: a save changes its own key's line and nothing else.
void SettingsStoreTest::savesIntoItsOwnLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    writeFile(m_dirs->settingsFile(), before);
    SaveSetting(kApplicationTitle, SettingNames::Section, key, value);
    QCOMPARE(contentsOf(m_dirs->settingsFile()), after);
    QCOMPARE(GetSetting(kApplicationTitle, SettingNames::Section, key, QStringLiteral("absent")), value);
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
    QCOMPARE(contentsOf(path), expected);
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
    const QByteArray written = contentsOf(m_dirs->settingsFile());
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
    QByteArray changed = contentsOf(path);
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
        const QByteArray raw = contentsOf(m_dirs->settingsFile());
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
    const QByteArray before = contentsOf(path);
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

    QCOMPARE(contentsOf(path), before);
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
    QCOMPARE(contentsOf(path), contents);
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
    QCOMPARE(contentsOf(path), before);

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
        QTRY_VERIFY_WITH_TIMEOUT(contentsOf(path).contains(prefix.toUtf8()), 20000);
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

#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "platform/RuntimeError.h"
#include "platform/SettingsStore.h"
#include "settings/ProgramSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct ProbeRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};

ProbeRun runProbe(const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SETTINGS_PROBE), args);
    if (!probe.waitForFinished(60000)) {
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

enum class Obstacle {
    SettingsPathIsDirectory,
    ConfigHomeIsFile,
    DamagedFile,
    FileSizeLimit,
    ReadOnlyDirectory,
    ReadOnlyFile,
    UnreadableFile,
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
    void keepsValuesExactly_data();
    void keepsValuesExactly();
    void readsFilesWrittenByOthers_data();
    void readsFilesWrittenByOthers();
    void saveKeepsEverythingElse();
    void seesSameSizedChangeWithinOneClockTick();
    void concurrentSavesLoseNothing();
    void failedSaveKeepsTheFile_data();
    void failedSaveKeepsTheFile();
    void unreadableFileIsAnError_data();
    void unreadableFileIsAnError();

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

void SettingsStoreTest::keepsValuesExactly_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("one blank") << QStringLiteral(" ");
    QTest::newRow("empty") << QString();
    QTest::newRow("trailing slash") << QStringLiteral("/x/draviks/");
    QTest::newRow("trailing backslash") << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("double backslash") << QStringLiteral("\\\\server\\share\\");
    QTest::newRow("commas") << QStringLiteral("a,b,,c,");
    QTest::newRow("semicolons") << QStringLiteral("a;b; c");
    QTest::newRow("comment marks first") << QStringLiteral(";x #y");
    QTest::newRow("equals signs") << QStringLiteral("k=v=w");
    QTest::newRow("quotes") << QStringLiteral("\"quoted\" and 'single'");
    QTest::newRow("non-ASCII letters") << QStringLiteral("/fotos/été/über/日本/");
    QTest::newRow("blanks around") << QStringLiteral("  padded  ");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("at sign first") << QStringLiteral("@ByteArray(x)");
    QTest::newRow("section-like") << QStringLiteral("[Other]");
    QTest::newRow("percent") << QStringLiteral("100% %U0041");
    QTest::newRow("line break") << QStringLiteral("first\nsecond");
    QTest::newRow("number") << QStringLiteral("60");
}

void SettingsStoreTest::keepsValuesExactly()
{
    QFETCH(QString, value);
    saveDir(value);
    QCOMPARE(getDir(), value);
    QVERIFY(contentsOf(m_dirs->settingsFile()).startsWith("[Settings]\n"));

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
    QTest::addColumn<QString>("expected");

    QTest::newRow("unquoted commas") << QByteArray("[Settings]\nDraviksDir=/photos/a,b/\n")
                                     << QStringLiteral("/photos/a,b/");
    QTest::newRow("quoted backslashes") << QByteArray("[Settings]\nDraviksDir=\"E:\\\\DRAVIKS\\\\\"\n")
                                        << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("quoted blank") << QByteArray("[Settings]\nDraviksDir=\" \"\n") << QStringLiteral(" ");
    QTest::newRow("CR LF lines") << QByteArray("[Settings]\r\nInterval=9\r\nDraviksDir=/p/\r\n")
                                 << QStringLiteral("/p/");
    QTest::newRow("UTF-8") << QByteArray("[Settings]\nDraviksDir=/fotos/\xc3\xa9t\xc3\xa9/\n")
                           << QStringLiteral("/fotos/été/");
    QTest::newRow("key absent") << QByteArray("[Settings]\nInterval=9\n") << QStringLiteral(" ");
    QTest::newRow("section absent") << QByteArray("[Other]\nDraviksDir=/p/\n") << QStringLiteral(" ");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral(" ");
}

void SettingsStoreTest::readsFilesWrittenByOthers()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, expected);
    writeFile(m_dirs->settingsFile(), contents);
    QCOMPARE(getDir(), expected);
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
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker + QStringLiteral("/config"));
        break;
    }
    case Obstacle::DamagedFile:
        writeFile(path, "[Settings\nDraviksDir=/old/\n");
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

QTEST_GUILESS_MAIN(SettingsStoreTest)

#include "tst_SettingsStore.moc"

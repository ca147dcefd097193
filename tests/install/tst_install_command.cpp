#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "ScanBomb.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "UnprivilegedUser.h"
#include "platform/files/FileName.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// dravik-install through real processes, read back the way the saver reads its settings.
class TestInstallCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void recordsDirectoryVerbatimForTheSaver_data();
    void recordsDirectoryVerbatimForTheSaver();
    void refusesDirectoryAndKeepsStoredValue_data();
    void refusesDirectoryAndKeepsStoredValue();
    void refusesDirectoryOfDamagedJpegs_data();
    void refusesDirectoryOfDamagedJpegs();
    void refusesPictureTooSlowToDecode();
    void unreadableDirectoryIsRefused();
    void warnsButRecordsWhenNotNamedDraviks();
    void recordsDirectoryNamedByBytesThatAreNotUtf8_data();
    void recordsDirectoryNamedByBytesThatAreNotUtf8();
    void recordsIntervalsOfTheCycle_data();
    void recordsIntervalsOfTheCycle();
    void refusesOtherIntervals_data();
    void refusesOtherIntervals();
    void showsDefaultsOnFreshAccount();
    void showsStoredValues();
    void wrongUsageIsReported_data();
    void wrongUsageIsReported();
    void xscreensaverAddsOneLineAndKeepsTheRest();
    void xscreensaverEnablesTheUntickedEntry();
    void xscreensaverKeepsTheFileMode_data();
    void xscreensaverKeepsTheFileMode();
    void xscreensaverWritesThroughALink();
    void xscreensaverRefusesWithoutTheFile();
    void xscreensaverRefusesAListItCannotExtend();
    void xscreensaverFileFailureLeavesTheFile_data();
    void xscreensaverFileFailureLeavesTheFile();
    void showsDaemonRegistration_data();
    void showsDaemonRegistration();
    void saveByRootLeavesTheFileToItsOwner_data();
    void saveByRootLeavesTheFileToItsOwner();

private:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Result install(const QStringList &arguments, const QString &workingDirectory = {});
    // Records a good directory, then tries one holding only the picture: refused, and what was
    // recorded stays as it was.
    Result refusedOnItsOwn(const QByteArray &picture, int timeoutMs);
    Result installAsHomeOwner(const QStringList &arguments);
    // The tool given one argument by its bytes, which a QString argument could not carry.
    Result installWithBytes(const QByteArray &argument);
    Result installAsNobody(const QStringList &arguments);
    bool giveHomeToNobody();
    Result run(QProcess &process, const QStringList &arguments,
               const QString &program = QStringLiteral(DRAVIK_INSTALL_BINARY), int timeoutMs = 30000);
    QString daemonFile() const;
    void writeDaemonFile(const QByteArray &bytes);
    QByteArray daemonFileBytes() const;
    QStringList homeEntries() const;
    QString photoDirectory(const QString &relativePath, bool withPicture = true);
    QString storedDirectory();
    QByteArray settingsBytes() const;

    std::unique_ptr<IsolatedUserDirs> m_dirs;
    std::unique_ptr<QTemporaryDir> m_photos;
    std::unique_ptr<QTemporaryDir> m_home;
};

namespace {

constexpr QFile::Permissions kOwnerReadWrite = QFile::ReadOwner | QFile::WriteOwner;

QByteArray sample(const char *name)
{
    return TestFiles::ReadFile(QStringLiteral(DRAVIK_SOURCE_DIR "/tests/install/data/") + QLatin1String(name));
}

// The saver's line as xscreensaver-settings wrote it in the samples, enabled.
const QByteArray kSaverLine = QByteArrayLiteral("\t\t\t\tdravik2001 --root\t\t\t    \\n\\");

// The file's mode bits; Qt's "User" flags say what this process may do, which differs as root.
QFile::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

QList<QByteArray> lines(const QByteArray &text)
{
    return text.split('\n');
}

} // namespace

void TestInstallCommand::init()
{
    m_dirs = std::make_unique<IsolatedUserDirs>();
    m_dirs->applyToThisProcess();
    m_photos = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
}

TestInstallCommand::Result TestInstallCommand::install(const QStringList &arguments, const QString &workingDirectory)
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    return run(process, arguments);
}

// Root reads and writes whatever the permissions say, so as root the tool runs as nobody,
// who is then given the home directory and everything in it.
TestInstallCommand::Result TestInstallCommand::installAsHomeOwner(const QStringList &arguments)
{
    if (::geteuid() != 0)
        return install(arguments);
    if (!giveHomeToNobody())
        return {};
    return installAsNobody(arguments);
}

bool TestInstallCommand::giveHomeToNobody()
{
    // The settings store refuses a settings file it may not look for, so the user gets its
    // config directory as well as its home.
    const UnprivilegedUser nobody;
    return nobody.handOver(m_home->path()) && nobody.handOver(QFileInfo(m_dirs->configHome()).path());
}

// As nobody, with nothing given to nobody beforehand; root only.
TestInstallCommand::Result TestInstallCommand::installAsNobody(const QStringList &arguments)
{
    const UnprivilegedUser nobody;
    if (!nobody.isKnown())
        return {};
    const uid_t uid = nobody.uid();
    const gid_t gid = nobody.gid();
    QProcess process;
    process.setChildProcessModifier([uid, gid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(127);
    });
    return run(process, arguments);
}

TestInstallCommand::Result TestInstallCommand::installWithBytes(const QByteArray &argument)
{
    // printf turns the octal escapes back into the bytes, whatever they are.
    QString escaped;
    for (const char byte : argument)
        escaped += QStringLiteral("\\%1").arg(uint(uchar(byte)), 3, 8, QLatin1Char('0'));
    QProcess process;
    return run(process,
               {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf \"$1\")\""),
                QStringLiteral(DRAVIK_INSTALL_BINARY), escaped},
               QStringLiteral("/bin/sh"));
}

TestInstallCommand::Result TestInstallCommand::run(QProcess &process, const QStringList &arguments,
                                                   const QString &program, int timeoutMs)
{
    QProcessEnvironment environment = m_dirs->environment();
    environment.insert(QStringLiteral("HOME"), m_home->path());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(timeoutMs)) {
        result.err = QStringLiteral("still running after %1 ms").arg(timeoutMs);
        return result;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        result.err = QStringLiteral("ended by a signal (exit status %1)").arg(128 + process.exitCode());
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString TestInstallCommand::photoDirectory(const QString &relativePath, bool withPicture)
{
    const QString path = m_photos->filePath(relativePath);
    QDir().mkpath(path);
    if (withPicture) {
        QImage picture(32, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkRed);
        picture.save(path + QStringLiteral("/67A01.jpg"));
    }
    return path;
}

QString TestInstallCommand::storedDirectory()
{
    return GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir,
                      SettingNames::DraviksDirDefault);
}

QByteArray TestInstallCommand::settingsBytes() const
{
    return TestFiles::ReadFile(m_dirs->settingsFile());
}

QString TestInstallCommand::daemonFile() const
{
    return m_home->filePath(QStringLiteral(".xscreensaver"));
}

void TestInstallCommand::writeDaemonFile(const QByteArray &bytes)
{
    QFile file(daemonFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QVERIFY(file.setPermissions(kOwnerReadWrite));
}

QByteArray TestInstallCommand::daemonFileBytes() const
{
    return TestFiles::ReadFile(daemonFile());
}

// What is in the home directory, so that a temporary file left behind shows.
QStringList TestInstallCommand::homeEntries() const
{
    return QDir(m_home->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestInstallCommand::recordsDirectoryVerbatimForTheSaver_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("argumentSuffix");

    QTest::newRow("plain") << QStringLiteral("draviks") << QString();
    QTest::newRow("trailing separator given") << QStringLiteral("draviks") << QStringLiteral("/");
    QTest::newRow("blanks") << QStringLiteral("My Car Photos/draviks") << QString();
    QTest::newRow("commas") << QStringLiteral("a,b, c/draviks") << QStringLiteral("/");
    QTest::newRow("non-ASCII") << QStringLiteral("Bilder é ü 日本/DRAVIKS") << QString();
    QTest::newRow("semicolon and equals") << QStringLiteral("x;y=z/Draviks") << QString();
    QTest::newRow("dot segments") << QStringLiteral("one/draviks") << QStringLiteral("/../draviks/./");
}

void TestInstallCommand::recordsDirectoryVerbatimForTheSaver()
{
    QFETCH(QString, directory);
    QFETCH(QString, argumentSuffix);

    const QString path = photoDirectory(directory);
    const Result result = install({path + argumentSuffix});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QCOMPARE(storedDirectory(), QDir::cleanPath(path) + QLatin1Char('/'));
}

void TestInstallCommand::refusesDirectoryAndKeepsStoredValue_data()
{
    QTest::addColumn<QString>("setup");

    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("plain file") << QStringLiteral("file");
    QTest::newRow("empty directory") << QStringLiteral("empty");
    QTest::newRow("only files that are not pictures") << QStringLiteral("not-pictures");
    QTest::newRow("pictures only in a subdirectory") << QStringLiteral("nested");
    QTest::newRow("only a hidden picture") << QStringLiteral("hidden");
}

void TestInstallCommand::refusesDirectoryAndKeepsStoredValue()
{
    QFETCH(QString, setup);

    const QString good = photoDirectory(QStringLiteral("good/draviks"));
    QCOMPARE(install({good}).exitCode, 0);
    const QByteArray before = settingsBytes();
    QVERIFY(!before.isEmpty());

    QString target = m_photos->filePath(QStringLiteral("bad/draviks"));
    if (setup == QStringLiteral("file")) {
        QDir().mkpath(m_photos->filePath(QStringLiteral("bad")));
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (setup == QStringLiteral("empty")) {
        photoDirectory(QStringLiteral("bad/draviks"), false);
    } else if (setup == QStringLiteral("not-pictures")) {
        photoDirectory(QStringLiteral("bad/draviks"), false);
        QFile text(target + QStringLiteral("/67A01.jpg"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a picture");
    } else if (setup == QStringLiteral("nested")) {
        photoDirectory(QStringLiteral("bad/draviks/inner"));
    } else if (setup == QStringLiteral("hidden")) {
        photoDirectory(QStringLiteral("bad/draviks"));
        QVERIFY(QFile::rename(target + QStringLiteral("/67A01.jpg"), target + QStringLiteral("/.67A01.jpg")));
    }

    const Result result = install({target});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains(QStringLiteral("nothing was recorded")));
    QCOMPARE(settingsBytes(), before);
    QCOMPARE(storedDirectory(), QDir::cleanPath(good) + QLatin1Char('/'));
}

TestInstallCommand::Result TestInstallCommand::refusedOnItsOwn(const QByteArray &picture, int timeoutMs)
{
    const QString good = photoDirectory(QStringLiteral("good/draviks"));
    if (install({good}).exitCode != 0)
        return {};
    const QByteArray before = settingsBytes();
    const QString target = photoDirectory(QStringLiteral("bad/draviks"), false);
    if (!TestFiles::WriteFile(target + QStringLiteral("/67A01.jpg"), picture))
        return {};
    QProcess process;
    const Result result = run(process, {target}, QStringLiteral(DRAVIK_INSTALL_BINARY), timeoutMs);
    if (settingsBytes() != before || storedDirectory() != QDir::cleanPath(good) + QLatin1Char('/'))
        return {-1, result.out, QStringLiteral("the settings changed\n") + result.err};
    return result;
}

void TestInstallCommand::refusesDirectoryOfDamagedJpegs_data()
{
    QTest::addColumn<QByteArray>("picture");

    const QByteArray jpeg = TestPictures::Solid(Qt::gray, "jpg");
    QTest::newRow("start and end of image only") << QByteArray::fromHex("ffd8ffd9");
    QTest::newRow("first 100 bytes of a photo") << jpeg.left(100);
    QTest::newRow("Exif block cut short") << TestPictures::WithExifOrientation(jpeg, 6).left(20);
    QTest::newRow("frame 0 pixels high") << TestPictures::WithClaimedJpegSize(jpeg, 64, 0);
    QTest::newRow("frame 0 pixels wide") << TestPictures::WithClaimedJpegSize(jpeg, 0, 48);
}

void TestInstallCommand::refusesDirectoryOfDamagedJpegs()
{
    QFETCH(QByteArray, picture);
    QVERIFY(!picture.isEmpty());
    const Result result = refusedOnItsOwn(picture, 30000);
    QVERIFY2(result.exitCode == 1, qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("holds no picture the saver can show")), qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("67A01.jpg")), qPrintable(result.err));
}

// A picture whose decode takes far longer than the saver waits for one counts as one the
// saver cannot show. The wait is only a bound on a hang: the tool gives up after the saver's
// time limit.
void TestInstallCommand::refusesPictureTooSlowToDecode()
{
    const QByteArray bomb = ScanBomb::Jpeg();
    QVERIFY(!bomb.isEmpty());
    const Result result = refusedOnItsOwn(bomb, 240000);
    QVERIFY2(result.exitCode == 1, qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("holds no picture the saver can show")), qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("67A01.jpg: not decoded within 5000 ms")), qPrintable(result.err));
}

void TestInstallCommand::unreadableDirectoryIsRefused()
{
    if (::geteuid() == 0)
        QSKIP("root reads every directory");
    const QString path = photoDirectory(QStringLiteral("locked/draviks"));
    QFile::setPermissions(path, QFile::WriteOwner);
    const Result result = install({path});
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(result.exitCode, 1);
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));
}

void TestInstallCommand::warnsButRecordsWhenNotNamedDraviks()
{
    const QString path = photoDirectory(QStringLiteral("holiday"));
    const Result result = install({path});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.err.contains(QStringLiteral("warning")));
    QVERIFY(result.err.contains(QStringLiteral("\"draviks\"")));
    QCOMPARE(storedDirectory(), QDir::cleanPath(path) + QLatin1Char('/'));
}

void TestInstallCommand::recordsDirectoryNamedByBytesThatAreNotUtf8_data()
{
    QTest::addColumn<QByteArray>("relativePath");
    QTest::addColumn<QString>("shown");

    QTest::newRow("Latin-1 letter") << QByteArray("f\xeates/draviks") << QStringLiteral("f\\xEAtes/draviks/");
    QTest::newRow("before a hex digit and a blank") << QByteArray("\xe9"
                                                                  "a b/DRAVIKS")
                                                    << QStringLiteral("\\xE9a b/DRAVIKS/");
    QTest::newRow("beside UTF-8") << QByteArray("caf\xc3\xa9\xff/draviks") << QStringLiteral("café\\xFF/draviks/");
}

// A disc with Latin-1 names mounted without conversion: the directory is recorded by its
// bytes, read back the same by the store and by QSettings, and shown with its bytes as \xNN.
void TestInstallCommand::recordsDirectoryNamedByBytesThatAreNotUtf8()
{
    QFETCH(QByteArray, relativePath);
    QFETCH(QString, shown);
    const QByteArray root = QFile::encodeName(m_photos->path()) + '/';
    const QByteArray directory = root + relativePath;
    const QByteArray picture = directory + "/67A01.jpg";
    // QTemporaryDir removes by text names, which cannot reach these.
    QList<QByteArray> made;
    const auto removeByBytes = qScopeGuard([&] {
        ::unlink(picture.constData());
        for (auto it = made.crbegin(); it != made.crend(); ++it)
            ::rmdir(it->constData());
    });
    for (qsizetype at = 1; at <= relativePath.size(); ++at) {
        if (at < relativePath.size() && relativePath[at] != '/')
            continue;
        made << root + relativePath.first(at);
        QCOMPARE(::mkdir(made.constLast().constData(), 0700), 0);
    }
    QBuffer jpeg;
    QVERIFY(jpeg.open(QIODevice::WriteOnly));
    QImage image(32, 20, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    QVERIFY(image.save(&jpeg, "JPEG"));
    QFile file;
    const int fd = ::open(picture.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(file.write(jpeg.data()), jpeg.data().size());
    file.close();

    const QString note = QStringLiteral(" (each \\xNN is a byte that is not UTF-8)\n");
    const QString shownDirectory = QFile::decodeName(root) + shown;
    const Result result = installWithBytes(directory);
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QCOMPARE(result.out, QStringLiteral("DraviksDir: \"") + shownDirectory + u'"' + note);
    QCOMPARE(FileName::toBytes(storedDirectory()), std::optional<QByteArray>(directory + '/'));
    const QVariant earlier =
        QSettings(m_dirs->settingsFile(), QSettings::IniFormat).value(QStringLiteral("Settings/DraviksDir"));
    QCOMPARE(FileName::toBytes(earlier.toString()), std::optional<QByteArray>(directory + '/'));

    const Result show = install({QStringLiteral("--show")});
    QCOMPARE(show.exitCode, 0);
    QVERIFY2(show.out.contains(QStringLiteral("\nDraviksDir: \"") + shownDirectory + u'"' + note),
             qPrintable(show.out));

    // One that does not exist is named readably too.
    const Result missing = installWithBytes(directory + "/\xe9t\xe9");
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains(shownDirectory + QStringLiteral("\\xE9t\\xE9 does not exist; nothing was recorded")),
             qPrintable(missing.err));
}

void TestInstallCommand::recordsIntervalsOfTheCycle_data()
{
    QTest::addColumn<QString>("seconds");
    for (const char *seconds : {"1", "4", "5", "10", "35", "60"})
        QTest::newRow(seconds) << QString::fromLatin1(seconds);
}

void TestInstallCommand::recordsIntervalsOfTheCycle()
{
    QFETCH(QString, seconds);
    QCOMPARE(install({QStringLiteral("--interval"), seconds}).exitCode, 0);
    QCOMPARE(
        GetSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, SettingNames::IntervalDefault),
        seconds);
}

void TestInstallCommand::refusesOtherIntervals_data()
{
    QTest::addColumn<QString>("seconds");
    for (const char *seconds : {"0", "7", "61", "abc", "", " 5", "5.0", "+5", "-5", "05"})
        QTest::newRow(seconds[0] ? seconds : "empty") << QString::fromLatin1(seconds);
}

void TestInstallCommand::refusesOtherIntervals()
{
    QFETCH(QString, seconds);
    QCOMPARE(install({QStringLiteral("--interval"), QStringLiteral("15")}).exitCode, 0);
    const QByteArray before = settingsBytes();

    const Result result = install({QStringLiteral("--interval"), seconds});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains(QStringLiteral("60")));
    QCOMPARE(settingsBytes(), before);
}

void TestInstallCommand::showsDefaultsOnFreshAccount()
{
    const Result result = install({QStringLiteral("--show")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out,
             QStringLiteral("Settings file: %1\n"
                            "Interval: not set; the saver uses \"2\"\n"
                            "DraviksDir: not set; the saver uses \" \"\n"
                            "xscreensaver: no %2 yet; xscreensaver-settings writes it\n")
                 .arg(m_dirs->settingsFile(), daemonFile()));
    QVERIFY2(!QFile::exists(m_dirs->settingsFile()), "--show wrote a settings file");
}

void TestInstallCommand::showsStoredValues()
{
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::DraviksDir, QStringLiteral(" "));
    SaveSetting(kApplicationTitle, SettingNames::Section, SettingNames::Interval, QStringLiteral("0"));
    const Result result = install({QStringLiteral("--show")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains(QStringLiteral("Interval: \"0\"\n")), qPrintable(result.out));
    QVERIFY2(result.out.contains(QStringLiteral("DraviksDir: \" \"\n")), qPrintable(result.out));
}

void TestInstallCommand::wrongUsageIsReported_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")};
    QTest::newRow("two directories") << QStringList{QStringLiteral("/tmp"), QStringLiteral("/var")};
    QTest::newRow("interval without value") << QStringList{QStringLiteral("--interval")};
    QTest::newRow("show with extra") << QStringList{QStringLiteral("--show"), QStringLiteral("x")};
    QTest::newRow("version with extra") << QStringList{QStringLiteral("--version"), QStringLiteral("x")};
    QTest::newRow("xscreensaver with extra") << QStringList{QStringLiteral("--xscreensaver"), QStringLiteral("x")};
}

void TestInstallCommand::wrongUsageIsReported()
{
    QFETCH(QStringList, arguments);
    const Result result = install(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.contains(QStringLiteral("Usage:")));
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));
    QVERIFY(!QFile::exists(daemonFile()));
}

void TestInstallCommand::xscreensaverAddsOneLineAndKeepsTheRest()
{
    const QByteArray original = sample("fresh-account.xscreensaver");
    QVERIFY(!original.isEmpty());
    writeDaemonFile(original);

    const Result first = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QVERIFY2(first.exitCode == 0, qPrintable(first.err));
    QVERIFY2(first.out.contains(QStringLiteral("added")), qPrintable(first.out));
    const QByteArray once = daemonFileBytes();
    QList<QByteArray> edited = lines(once);
    QCOMPARE(edited.count(kSaverLine), 1);
    // The new entry is the list's last, just before the empty line that ends it.
    const qsizetype at = edited.indexOf(kSaverLine);
    QVERIFY(edited.at(at - 1).contains("squirtorus"));
    QVERIFY(edited.at(at + 1).isEmpty());
    edited.removeAt(at);
    QCOMPARE(edited, lines(original));

    const Result second = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QCOMPARE(second.exitCode, 0);
    QVERIFY2(second.out.contains(QStringLiteral("already listed and enabled")), qPrintable(second.out));
    QCOMPARE(daemonFileBytes(), once);
    QCOMPARE(homeEntries(), QStringList{QStringLiteral(".xscreensaver")});
}

void TestInstallCommand::xscreensaverEnablesTheUntickedEntry()
{
    const QByteArray unticked = sample("saver-unticked.xscreensaver");
    QVERIFY(unticked.contains("\n-" + kSaverLine + '\n'));
    writeDaemonFile(unticked);

    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY2(result.out.contains(QStringLiteral("enabled in")), qPrintable(result.out));
    QCOMPARE(daemonFileBytes(), QByteArray(unticked).replace("\n-" + kSaverLine, "\n" + kSaverLine));
    QCOMPARE(installAsHomeOwner({QStringLiteral("--xscreensaver")}).exitCode, 0);
    QCOMPARE(daemonFileBytes(), QByteArray(unticked).replace("\n-" + kSaverLine, "\n" + kSaverLine));
}

void TestInstallCommand::xscreensaverKeepsTheFileMode_data()
{
    QTest::addColumn<QFile::Permissions>("mode");
    QTest::newRow("0600") << kOwnerReadWrite;
    QTest::newRow("0644") << (kOwnerReadWrite | QFile::ReadGroup | QFile::ReadOther);
    QTest::newRow("0660") << (kOwnerReadWrite | QFile::ReadGroup | QFile::WriteGroup);
}

void TestInstallCommand::xscreensaverKeepsTheFileMode()
{
    QFETCH(QFile::Permissions, mode);
    writeDaemonFile(sample("fresh-account.xscreensaver"));
    QVERIFY(QFile::setPermissions(daemonFile(), mode));
    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(daemonFileBytes().contains(kSaverLine));
    QCOMPARE(modeOf(daemonFile()), mode);
}

void TestInstallCommand::xscreensaverWritesThroughALink()
{
    const QString kept = m_home->filePath(QStringLiteral("dotfiles/xscreensaver"));
    QVERIFY(QDir().mkpath(QFileInfo(kept).path()));
    QVERIFY(QFile::copy(QStringLiteral(DRAVIK_SOURCE_DIR "/tests/install/data/fresh-account.xscreensaver"), kept));
    QVERIFY(QFile::link(QStringLiteral("dotfiles/xscreensaver"), daemonFile()));

    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(QFileInfo(daemonFile()).isSymLink());
    QCOMPARE(QFile::symLinkTarget(daemonFile()), kept);
    QVERIFY(daemonFileBytes().contains(kSaverLine));
}

void TestInstallCommand::xscreensaverRefusesWithoutTheFile()
{
    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("xscreensaver-settings")), qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("Nothing was written")), qPrintable(result.err));
    QVERIFY(homeEntries().isEmpty());
}

void TestInstallCommand::xscreensaverRefusesAListItCannotExtend()
{
    // The daemon's defaults end their list with a last entry that is not continued.
    const QByteArray handWritten = QByteArrayLiteral("mode:\t\trandom\n"
                                                     "programs:\t\\\n"
                                                     "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                                                     "\t\t\t\tqix --root\t\t\t\t    \\n\n");
    writeDaemonFile(handWritten);
    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("left as it was")), qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("dravik2001 --root")), qPrintable(result.err));
    QCOMPARE(daemonFileBytes(), handWritten);
}

void TestInstallCommand::xscreensaverFileFailureLeavesTheFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("unreadable file") << QStringLiteral("file 0200") << QStringLiteral("cannot read");
    QTest::newRow("read-only file") << QStringLiteral("file 0400") << QStringLiteral("cannot write");
    QTest::newRow("read-only home") << QStringLiteral("home 0500") << QStringLiteral("cannot write");
    QTest::newRow("a directory") << QStringLiteral("directory") << QStringLiteral("cannot read");
}

void TestInstallCommand::xscreensaverFileFailureLeavesTheFile()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    const QByteArray original = sample("fresh-account.xscreensaver");
    const QFile::Permissions homeMode = QFile::permissions(m_home->path());
    QFile::Permissions mode = kOwnerReadWrite;
    if (setup == QStringLiteral("directory")) {
        QVERIFY(QDir().mkdir(daemonFile()));
    } else {
        writeDaemonFile(original);
        if (setup == QStringLiteral("file 0200"))
            mode = QFile::WriteOwner;
        if (setup == QStringLiteral("file 0400"))
            mode = QFile::ReadOwner;
        QVERIFY(QFile::setPermissions(daemonFile(), mode));
    }
    if (setup == QStringLiteral("home 0500"))
        QVERIFY(QFile::setPermissions(m_home->path(), QFile::ReadOwner | QFile::ExeOwner));

    const Result result = installAsHomeOwner({QStringLiteral("--xscreensaver")});
    const QStringList entries = homeEntries();
    QFile::setPermissions(m_home->path(), homeMode);
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY2(result.err.contains(daemonFile()), qPrintable(result.err));
    QCOMPARE(entries, QStringList{QStringLiteral(".xscreensaver")});
    if (setup != QStringLiteral("directory")) {
        QCOMPARE(modeOf(daemonFile()), mode);
        QVERIFY(QFile::setPermissions(daemonFile(), kOwnerReadWrite));
        QCOMPARE(daemonFileBytes(), original);
    }
}

void TestInstallCommand::showsDaemonRegistration_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("state");

    const QByteArray fresh = sample("fresh-account.xscreensaver");
    const QByteArray unticked = sample("saver-unticked.xscreensaver");
    QTest::newRow("not listed") << fresh << 0
                                << QStringLiteral("not listed in %1; dravik-install --xscreensaver adds it");
    QTest::newRow("listed and enabled") << QByteArray(unticked).replace("\n-" + kSaverLine, "\n" + kSaverLine) << 0
                                        << QStringLiteral("listed and enabled in %1");
    QTest::newRow("listed but disabled") << unticked << 0
                                         << QStringLiteral("listed but disabled in %1; dravik-install --xscreensaver "
                                                           "enables it");
    QTest::newRow("no programs: list") << QByteArray("timeout:\t0:10:00\n") << 0
                                       << QStringLiteral("not listed: %1 has no programs: list");
    QTest::newRow("unreadable") << QByteArray("-") << 3 << QStringLiteral("unknown");
}

void TestInstallCommand::showsDaemonRegistration()
{
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QString, state);
    writeDaemonFile(file);
    if (exitCode == 3)
        QVERIFY(QFile::setPermissions(daemonFile(), QFile::WriteOwner));

    const Result result = installAsHomeOwner({QStringLiteral("--show")});
    QCOMPARE(result.exitCode, exitCode);
    const QStringList printed = result.out.split(QLatin1Char('\n'));
    QCOMPARE(printed.size(), 5);
    QCOMPARE(printed.at(3), QStringLiteral("xscreensaver: ") + state.arg(daemonFile()));
    if (exitCode == 3)
        QVERIFY2(result.err.contains(QStringLiteral("cannot read %1").arg(daemonFile())), qPrintable(result.err));
    QVERIFY(QFile::setPermissions(daemonFile(), kOwnerReadWrite));
    QCOMPARE(daemonFileBytes(), file);
}

void TestInstallCommand::saveByRootLeavesTheFileToItsOwner_data()
{
    QTest::addColumn<bool>("daemonSettings");
    QTest::newRow("settings file") << false;
    QTest::newRow("~/.xscreensaver") << true;
}

// sudo keeps HOME, so the tool run by root edits the user's files.
void TestInstallCommand::saveByRootLeavesTheFileToItsOwner()
{
    QFETCH(bool, daemonSettings);
    if (::geteuid() != 0)
        QSKIP("only root can save a file that belongs to another user");
    const passwd *nobody = ::getpwnam("nobody");
    QVERIFY2(nobody, "needs the user nobody");
    const QByteArray unticked = sample("saver-unticked.xscreensaver");
    if (daemonSettings) {
        writeDaemonFile(unticked);
        QVERIFY(giveHomeToNobody());
    } else {
        QCOMPARE(installAsHomeOwner({QStringLiteral("--interval"), QStringLiteral("5")}).exitCode, 0);
    }
    const QString path = daemonSettings ? daemonFile() : m_dirs->settingsFile();
    const auto ownerOf = [&path] {
        struct stat status = {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qMakePair(status.st_uid, status.st_gid)
                                                                         : qMakePair(uid_t(-1), gid_t(-1));
    };
    const auto nobodys = qMakePair(nobody->pw_uid, nobody->pw_gid);
    QCOMPARE(ownerOf(), nobodys);
    const QFile::Permissions mode = modeOf(path);

    const Result byRoot = install(daemonSettings ? QStringList{QStringLiteral("--xscreensaver")}
                                                 : QStringList{QStringLiteral("--interval"), QStringLiteral("10")});
    QVERIFY2(byRoot.exitCode == 0, qPrintable(byRoot.err));
    QCOMPARE(ownerOf(), nobodys);
    QCOMPARE(modeOf(path), mode);

    // The user's next save, with nothing given back to the user in between.
    if (daemonSettings) {
        QVERIFY(daemonFileBytes().contains("\n" + kSaverLine + '\n'));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(unticked), unticked.size());
        file.close();
        const Result byUser = installAsNobody({QStringLiteral("--xscreensaver")});
        QVERIFY2(byUser.exitCode == 0, qPrintable(byUser.err));
        QVERIFY(daemonFileBytes().contains("\n" + kSaverLine + '\n'));
    } else {
        QVERIFY(settingsBytes().contains("Interval=10"));
        const Result byUser = installAsNobody({QStringLiteral("--interval"), QStringLiteral("15")});
        QVERIFY2(byUser.exitCode == 0, qPrintable(byUser.err));
        QVERIFY(settingsBytes().contains("Interval=15"));
    }
    QCOMPARE(ownerOf(), nobodys);
}

QTEST_GUILESS_MAIN(TestInstallCommand)
#include "tst_install_command.moc"

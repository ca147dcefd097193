#include "ApplicationTitle.h"
#include "IsolatedUserDirs.h"
#include "platform/SettingsStore.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtTest>

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
    void unreadableDirectoryIsRefused();
    void warnsButRecordsWhenNotNamedDraviks();
    void recordsIntervalsOfTheCycle_data();
    void recordsIntervalsOfTheCycle();
    void refusesOtherIntervals_data();
    void refusesOtherIntervals();
    void showsDefaultsOnFreshAccount();
    void showsStoredValues();
    void wrongUsageIsReported_data();
    void wrongUsageIsReported();

private:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Result install(const QStringList &arguments, const QString &workingDirectory = {});
    QString photoDirectory(const QString &relativePath, bool withPicture = true);
    QString storedDirectory();
    QByteArray settingsBytes() const;

    std::unique_ptr<IsolatedUserDirs> m_dirs;
    std::unique_ptr<QTemporaryDir> m_photos;
};

void TestInstallCommand::init()
{
    m_dirs = std::make_unique<IsolatedUserDirs>();
    m_dirs->applyToThisProcess();
    m_photos = std::make_unique<QTemporaryDir>();
}

TestInstallCommand::Result TestInstallCommand::install(const QStringList &arguments, const QString &workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(m_dirs->environment());
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(DRAVIK_INSTALL_BINARY), arguments);
    Result result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
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
    QFile file(m_dirs->settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
                            "DraviksDir: not set; the saver uses \" \"\n")
                 .arg(m_dirs->settingsFile()));
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
}

void TestInstallCommand::wrongUsageIsReported()
{
    QFETCH(QStringList, arguments);
    const Result result = install(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.err.contains(QStringLiteral("Usage:")));
    QVERIFY(!QFile::exists(m_dirs->settingsFile()));
}

QTEST_GUILESS_MAIN(TestInstallCommand)
#include "tst_install_command.moc"

#include "SaverProgramFixture.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// At 1024 × 768 the photo lies at x 124..900, y 101..573 and the caption at x 386..638,
// y 582..605 (see tst_saver_on_screen.cpp).
const QPoint kPhotoMiddle(500, 300);
const QRect kCaption(386, 582, 253, 24);

} // namespace

// The real program on a real X server reading settings files as people and other programs
// write them: the photo directory they name is shown, photo and caption.
class TestSaverSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void showsThePhotosTheFileNames_data();
    void showsThePhotosTheFileNames();

private:
    // Runs the saver on the settings file until it shows its red photo; the caption then shown.
    // Null when it never did; log is what it said on stderr.
    QImage captionShownWith(const QByteArray &settings, QString *log);

    SaverProgramFixture m_saver;
    QByteArray m_plainDir;
    QByteArray m_latin1Dir;
    QImage m_captionOf1967;
};

void TestSaverSettingsFile::initTestCase()
{
    m_saver.setUp();
    const QByteArray root = QFile::encodeName(m_saver.root());
    m_plainDir = root + "/plain/draviks/";
    m_latin1Dir = root + "/f\xeates/draviks/";
    const QByteArray red = TestPictures::Solid(Qt::red, "jpg");
    for (const QByteArray &dir : {m_plainDir, m_latin1Dir}) {
        QCOMPARE(::mkdir(dir.first(dir.indexOf("/draviks/")).constData(), 0700), 0);
        QCOMPARE(::mkdir(dir.constData(), 0700), 0);
        QVERIFY(TestFiles::WriteFileNamedByBytes(dir + "67A01.jpg", red));
    }
    const QByteArray classicDir = root + "/classic/draviks/";
    QVERIFY(QDir().mkpath(QFile::decodeName(classicDir)));
    QVERIFY(TestFiles::WriteFileNamedByBytes(classicDir + "CL001.jpg", red));

    // What the two captions look like, from files of the plainest kind.
    QString log;
    m_captionOf1967 = captionShownWith("[Settings]\nInterval=1\nDraviksDir=" + m_plainDir + '\n', &log);
    QVERIFY2(!m_captionOf1967.isNull(), qPrintable(log));
    const QImage classic = captionShownWith("[Settings]\nInterval=1\nDraviksDir=" + classicDir + '\n', &log);
    QVERIFY2(!classic.isNull(), qPrintable(log));
    QVERIFY2(classic != m_captionOf1967, "the caption on the screen does not tell the photos apart");
}

void TestSaverSettingsFile::cleanupTestCase()
{
    // QTemporaryDir removes by text names, which cannot reach these.
    ::unlink((m_latin1Dir + "67A01.jpg").constData());
    ::rmdir(m_latin1Dir.constData());
    ::rmdir(m_latin1Dir.first(m_latin1Dir.indexOf("/draviks/")).constData());
}

QImage TestSaverSettingsFile::captionShownWith(const QByteArray &settings, QString *log)
{
    QFile file(m_saver.userDirs().settingsFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(settings) != settings.size())
        return {};
    file.close();

    ProgramProcess program(m_saver.environment());
    if (!program.start())
        return {};
    const auto showingRed = [] {
        const QImage pixel = ScreenColours::Grab(QRect(kPhotoMiddle, QSize(1, 1)));
        return !pixel.isNull() && ScreenColours::IsColour(pixel.pixel(0, 0), Qt::red);
    };
    QImage caption;
    // The caption is drawn with the photo; a second grab that agrees shows it has settled.
    const bool settled = QTest::qWaitFor(showingRed, 30000)
        && QTest::qWaitFor(
                             [&] {
                                 const QImage now = ScreenColours::Grab(kCaption);
                                 const bool same = now == caption;
                                 caption = now;
                                 return same;
                             },
                             5000);
    const bool failed = program.standardError().contains(QStringLiteral("Timer1_Timer failed"));
    ::kill(pid_t(program.processId()), SIGTERM);
    program.waitForExit();
    *log = program.standardError();
    return failed || !settled ? QImage() : caption;
}

void TestSaverSettingsFile::showsThePhotosTheFileNames_data()
{
    QTest::addColumn<QByteArray>("settings"); // PLAIN and LATIN1 stand for the two directories
    QTest::addColumn<QString>("note");        // what the saver says on stderr about stray lines

    QTest::newRow("stray lines") << QByteArray("[Settings]\nInterval=1\ngarbage\nInterval 5\n=x\nDraviksDir=PLAIN\n")
                                 << QStringLiteral("line 3 and 2 more are not a [section]");
    QTest::newRow("blanks around the equals signs")
        << QByteArray("[Settings]\nInterval = 1 \nDraviksDir = PLAIN \n") << QString();
    QTest::newRow("CR-only line ends and an end-of-file mark")
        << QByteArray("[Settings]\rInterval=1\rDraviksDir=PLAIN\r\x1a") << QString();
    QTest::newRow("later of two") << QByteArray("[Settings]\nInterval=1\nDraviksDir=/nowhere/\nDraviksDir=PLAIN\n")
                                  << QString();
    QTest::newRow("name that is not UTF-8, as bytes")
        << QByteArray("; caf\xe9\n[Settings]\nInterval=1\nDraviksDir=LATIN1\n") << QString();
    QTest::newRow("name that is not UTF-8, escaped")
        << QByteArray("[Settings]\nInterval=1\nDraviksDir=ESCAPED\n") << QString();
}

void TestSaverSettingsFile::showsThePhotosTheFileNames()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, note);
    QByteArray escaped = m_latin1Dir;
    escaped.replace("\xea", "\\xdcea");
    settings.replace("PLAIN", m_plainDir).replace("LATIN1", m_latin1Dir).replace("ESCAPED", escaped);

    QString log;
    const QImage caption = captionShownWith(settings, &log);
    QVERIFY2(!caption.isNull(), qPrintable(log));
    QCOMPARE(caption, m_captionOf1967);
    QVERIFY2(!log.contains(QStringLiteral("Run-time error")), qPrintable(log));
    if (note.isEmpty())
        QVERIFY2(!log.contains(QStringLiteral(" is not a [section]")) && !log.contains(QStringLiteral(" are not a [")),
                 qPrintable(log));
    else
        QVERIFY2(log.contains(m_saver.userDirs().settingsFile() + QStringLiteral(": ") + note), qPrintable(log));
}

QTEST_MAIN(TestSaverSettingsFile)
#include "tst_saver_settings_file.moc"

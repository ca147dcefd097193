#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QTest>

// The idle daemon that started the saver has gone away, and with it the reader of the
// saver's stderr. The real program on a real X server, with a truncated photo whose every
// load draws a warning from the JPEG decoder.
class TestSaverBrokenPipe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void truncatedPhotoWarns();
    void closedStandardErrorDoesNotEndTheSaver();

private:
    SaverProgramFixture m_saver;
};

void TestSaverBrokenPipe::initTestCase()
{
    m_saver.setUp();
    const QByteArray jpeg = TestPictures::Solid(Qt::darkGreen, "jpg", QSize(320, 240));
    QVERIFY(TestFiles::WriteFile(m_saver.photoDir() + QStringLiteral("CL001.jpg"), jpeg.left(jpeg.size() / 2)));
    StoreSaverSettings(QStringLiteral("1"), m_saver.photoDir());
}

// What the saver writes to stderr in this setting, read while someone is still reading;
// without it the next test would prove nothing.
void TestSaverBrokenPipe::truncatedPhotoWarns()
{
    ProgramProcess program(m_saver.userDirs().environment());
    QVERIFY(program.start());
    QVERIFY2(program.waitForStderr(QStringLiteral("Corrupt JPEG data")), qPrintable(program.standardError()));
    SaverProgramFixture::end(program);
}

void TestSaverBrokenPipe::closedStandardErrorDoesNotEndTheSaver()
{
    ProgramProcess program(m_saver.userDirs().environment());
    QVERIFY(program.setStandardErrorToClosedPipe());
    QVERIFY(program.start());
    // Nothing can be read back, so wait long enough for a few ticks and their warnings.
    QTest::qWait(3500);
    const QString how =
        program.exitStatus() == QProcess::CrashExit ? QStringLiteral("by signal") : QStringLiteral("with status");
    QVERIFY2(program.isRunning(), qPrintable(QStringLiteral("ended early %1 %2").arg(how).arg(program.exitCode())));

    SaverProgramFixture::end(program);
}

QTEST_GUILESS_MAIN(TestSaverBrokenPipe)
#include "tst_saver_broken_pipe.moc"

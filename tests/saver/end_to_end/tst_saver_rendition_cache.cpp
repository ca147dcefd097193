#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QTest>

namespace {

// Where the photo appears on this 1024 × 768 screen (see tst_saver_on_screen).
const QRect kPhotoArea(124, 101, 776, 472);
// Three rounds of three one-second ticks, with margin for a loaded machine.
constexpr int kRoundsWithinMs = 30000;
const QList<QColor> kColours{Qt::red, Qt::green, Qt::blue};
const QColor kNewColour = Qt::yellow;

QString decoding(const QString &path)
{
    return QStringLiteral("decoding \"%1\"").arg(path);
}

QString fromCache(const QString &path)
{
    return QStringLiteral("rendition from cache \"%1\"").arg(path);
}

} // namespace

// The real program on a real X server (Xvfb, 1024 × 768), ticking every second over three
// photos, started again and again on one cache folder, as a screen-saver daemon starts it
// each time the screen goes idle: each photo is decoded once, in the first run; later rounds
// and runs read it from the cache; a photo changed between runs is decoded and shown anew.
class TestSaverRenditionCache : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void firstRunDecodesEachPhotoOnceForAllItsRounds();
    void secondRunDecodesNoOriginal();
    void photoChangedBetweenRunsShowsItsNewContent();

private:
    SaverProgramFixture m_saver;
    QStringList m_photos;
};

void TestSaverRenditionCache::initTestCase()
{
    m_saver.setUp();
    const QString photoDir = m_saver.photoDir();
    const QStringList names{QStringLiteral("57A01.jpg"), QStringLiteral("62B02.jpg"), QStringLiteral("65C03.jpg")};
    for (int index = 0; index < names.size(); ++index) {
        m_photos.append(photoDir + names[index]);
        QVERIFY(TestFiles::WriteFile(m_photos.last(), TestPictures::Solid(kColours[index], "jpg", QSize(1600, 1200))));
    }
    StoreSaverSettings(QStringLiteral("1"), photoDir);
    // The pointer rests over where the photo will appear: the saver appearing under it is no input.
    QVERIFY(XDoTool::mouseMove(500, 300));
}

void TestSaverRenditionCache::firstRunDecodesEachPhotoOnceForAllItsRounds()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    // The second round comes back to each photo.
    for (const QString &photo : std::as_const(m_photos))
        QVERIFY2(program.waitForStderr(fromCache(photo), kRoundsWithinMs), qPrintable(program.standardError()));
    SaverProgramFixture::end(program);
    const QString log = program.standardError();
    for (const QString &photo : std::as_const(m_photos))
        QVERIFY2(log.count(decoding(photo)) == 1, qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("cache folder")), qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("Timer1_Timer failed")), qPrintable(log));
}

void TestSaverRenditionCache::secondRunDecodesNoOriginal()
{
    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    for (const QString &photo : std::as_const(m_photos))
        QVERIFY2(program.waitForStderr(fromCache(photo), kRoundsWithinMs), qPrintable(program.standardError()));
    // What the cache gave is what is shown.
    QTRY_VERIFY_WITH_TIMEOUT(ScreenColours::ShareOfScreenInColour(kPhotoArea, kColours[0]) > 0.9, kRoundsWithinMs);
    SaverProgramFixture::end(program);
    const QString log = program.standardError();
    QVERIFY2(!log.contains(QStringLiteral("decoding")), qPrintable(log));
    QVERIFY2(!log.contains(QStringLiteral("Timer1_Timer failed")), qPrintable(log));
}

void TestSaverRenditionCache::photoChangedBetweenRunsShowsItsNewContent()
{
    const QString changed = m_photos.first();
    QVERIFY(TestFiles::WriteFile(changed, TestPictures::Solid(kNewColour, "jpg", QSize(1600, 1200))));

    ProgramProcess program(m_saver.environment());
    SaverProgramFixture::start(program);
    QVERIFY2(program.waitForStderr(decoding(changed), kRoundsWithinMs), qPrintable(program.standardError()));
    bool oldContentShown = false;
    QTRY_VERIFY_WITH_TIMEOUT((oldContentShown |= ScreenColours::ShareOfScreenInColour(kPhotoArea, kColours[0]) > 0.5,
                              ScreenColours::ShareOfScreenInColour(kPhotoArea, kNewColour) > 0.9),
                             kRoundsWithinMs);
    for (const QString &photo : m_photos.mid(1))
        QVERIFY2(program.waitForStderr(fromCache(photo), kRoundsWithinMs), qPrintable(program.standardError()));
    SaverProgramFixture::end(program);
    QVERIFY(!oldContentShown);
    const QString log = program.standardError();
    for (const QString &photo : m_photos.mid(1))
        QVERIFY2(!log.contains(decoding(photo)), qPrintable(log));
}

QTEST_MAIN(TestSaverRenditionCache)
#include "tst_saver_rendition_cache.moc"

#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "saver/PhotoTicks.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace TestPictures;
using namespace TestFiles;
using namespace ScreenColours;

Q_DECLARE_METATYPE(PhotoTicks::Outcome)

namespace {

const QSize kShownSize(777, 473);
const QColor kRed(220, 0, 0);
const QColor kGreen(0, 200, 0);

bool showsColour(const QImage &picture, const QColor &colour)
{
    return !picture.isNull() && IsColour(picture.pixel(picture.width() / 2, picture.height() / 2), colour);
}

} // namespace

// The ticks with no window: what each one brings, over real photo directories.
class TestPhotoTicks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tickWaitsForItsListingAndPhoto();
    void ticksWhileAPhotoIsDecodedAreNotCounted();
    void vanishedDirectoryFailsUntilItIsBack();
    void failedTicksBringNoPhoto_data();
    void failedTicksBringNoPhoto();

private:
    // Ticks, and waits for that tick to end; the outcome, or nothing when it never ends.
    std::optional<PhotoTicks::Outcome> tickToEnd();
    QString makePhotoDir();

    QTemporaryDir *m_root = nullptr;
    PhotoTicks *m_ticks = nullptr;
    QSignalSpy *m_shown = nullptr;
    QSignalSpy *m_ended = nullptr;
};

void TestPhotoTicks::init()
{
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
    m_ticks = new PhotoTicks([] { return kShownSize; });
    m_shown = new QSignalSpy(m_ticks, &PhotoTicks::photoShown);
    m_ended = new QSignalSpy(m_ticks, &PhotoTicks::tickEnded);
}

void TestPhotoTicks::cleanup()
{
    delete m_shown;
    delete m_ended;
    delete m_ticks;
    delete m_root;
    PhotoDir.clear();
}

std::optional<PhotoTicks::Outcome> TestPhotoTicks::tickToEnd()
{
    const qsizetype before = m_ended->count();
    m_ticks->tick();
    if (m_ended->count() == before && !m_ended->wait(20000))
        return std::nullopt;
    if (m_ended->count() != before + 1)
        return std::nullopt;
    return m_ended->last().at(0).value<PhotoTicks::Outcome>();
}

QString TestPhotoTicks::makePhotoDir()
{
    const QString dir = m_root->path() + QStringLiteral("/cdrom/DRAVIKS/");
    QDir().mkpath(dir);
    return dir;
}

void TestPhotoTicks::tickWaitsForItsListingAndPhoto()
{
    PhotoDir = makePhotoDir();
    QVERIFY(WriteFile(PhotoDir + QStringLiteral("67A.jpg"), Solid(kRed, "jpg")));

    // Nothing made ahead: the first tick waits for the listing, then for the decode, and the
    // ticks that come meanwhile neither count nor end a tick of their own.
    m_ticks->tick();
    QVERIFY(m_ticks->waitsForPhoto());
    QCOMPARE(m_ended->count(), 0);
    m_ticks->tick();
    m_ticks->tick();
    QVERIFY(QTest::qWaitFor([this] { return !m_ticks->waitsForPhoto(); }, 20000));
    QCOMPARE(m_ended->count(), 1);
    QCOMPARE(m_ended->at(0).at(0).value<PhotoTicks::Outcome>(), PhotoTicks::Outcome::Shown);
    QCOMPARE(m_shown->count(), 1);
    QVERIFY(showsColour(m_shown->at(0).at(0).value<QImage>(), kRed));
    QCOMPARE(m_shown->at(0).at(1).toString(), QStringLiteral("  1967 Dravik   "));
    QCOMPARE(m_ticks->TickCount(), qint16(1));
}

void TestPhotoTicks::ticksWhileAPhotoIsDecodedAreNotCounted()
{
    PhotoDir = makePhotoDir();
    const QString photo = PhotoDir + QStringLiteral("67A.jpg");
    QVERIFY(WriteFile(photo, Solid(kRed, "jpg")));
    QVERIFY(BackDateByAnHour(PhotoDir)); // so that its listing is kept
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Shown);

    // The listing is kept, the photo changed: the second tick waits for its decode alone.
    QVERIFY(WriteFile(photo, Solid(kGreen, "jpg")));
    m_ticks->tick();
    QVERIFY(m_ticks->waitsForPhoto());
    QCOMPARE(m_ticks->TickCount(), qint16(2));
    m_ticks->tick();
    m_ticks->tick();
    QVERIFY(QTest::qWaitFor([this] { return !m_ticks->waitsForPhoto(); }, 20000));
    QCOMPARE(m_ticks->TickCount(), qint16(2));
    QCOMPARE(m_ended->count(), 2);
    QCOMPARE(m_shown->count(), 2);
    QVERIFY(showsColour(m_shown->last().at(0).value<QImage>(), kGreen));
}

void TestPhotoTicks::vanishedDirectoryFailsUntilItIsBack()
{
    PhotoDir = makePhotoDir();
    QVERIFY(WriteFile(PhotoDir + QStringLiteral("CL1.jpg"), Solid(kGreen, "jpg")));
    QVERIFY(BackDateByAnHour(PhotoDir)); // so that its listing is kept
    m_ticks->prepareFirstTick();
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Shown);
    QCOMPARE(m_shown->count(), 1);

    // The listing and the photo kept for the ticks that show the first file again are of a
    // directory that is gone: the tick fails, and so does the next, until it is back.
    QVERIFY(QDir(PhotoDir).removeRecursively());
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Failed);
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Failed);
    QCOMPARE(m_shown->count(), 1);

    PhotoDir = makePhotoDir();
    QVERIFY(WriteFile(PhotoDir + QStringLiteral("67A.jpg"), Solid(kRed, "jpg")));
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Shown);
    QCOMPARE(m_shown->count(), 2);
    QVERIFY(showsColour(m_shown->last().at(0).value<QImage>(), kRed));
    QCOMPARE(m_shown->last().at(1).toString(), QStringLiteral("  1967 Dravik   "));
}

void TestPhotoTicks::failedTicksBringNoPhoto_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("directoryExists");
    QTest::addColumn<int>("failedTicks");
    QTest::addColumn<QString>("captionAfter");

    // The first file is shown on three ticks, so a bad one fails three times.
    QTest::newRow("first file not a picture") << QStringList{QStringLiteral("57A.jpg"), QStringLiteral("CL1.jpg:green")}
                                              << true << 3 << QStringLiteral("Classic Draviks");
    QTest::newRow("empty directory") << QStringList{} << true << 4 << QString();
    QTest::newRow("no directory") << QStringList{} << false << 4 << QString();
}

// Files named "<name>:green" are pictures, others hold text.
void TestPhotoTicks::failedTicksBringNoPhoto()
{
    QFETCH(QStringList, files);
    QFETCH(bool, directoryExists);
    QFETCH(int, failedTicks);
    QFETCH(QString, captionAfter);

    PhotoDir = directoryExists ? makePhotoDir() : m_root->path() + QStringLiteral("/cdrom/DRAVIKS/");
    for (const QString &file : files) {
        const QStringList parts = file.split(QLatin1Char(':'));
        QVERIFY(WriteFile(PhotoDir + parts.at(0), parts.size() > 1 ? Solid(kGreen, "jpg") : QByteArray("no picture")));
    }
    m_ticks->prepareFirstTick();
    for (int tick = 0; tick < failedTicks; ++tick)
        QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Failed);
    QCOMPARE(m_shown->count(), 0);
    if (captionAfter.isNull())
        return;
    QCOMPARE(tickToEnd(), PhotoTicks::Outcome::Shown);
    QCOMPARE(m_shown->count(), 1);
    QVERIFY(showsColour(m_shown->at(0).at(0).value<QImage>(), kGreen));
    QCOMPARE(m_shown->at(0).at(1).toString(), captionAfter);
}

QTEST_GUILESS_MAIN(TestPhotoTicks)
#include "tst_photo_ticks.moc"

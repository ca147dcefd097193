#include "TestFiles.h"
#include "platform/files/DirectoryListing.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/PhotoListing.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// What take gives once the worker is done, waiting for it when it must.
std::optional<DirectoryListing> takeWhenReady(PhotoListing &listings, const QString &pattern)
{
    QSignalSpy finished(&listings, &PhotoListing::finished);
    std::optional<DirectoryListing> listing = listings.take(pattern);
    for (int round = 0; !listing && round < 5; ++round) {
        if (!finished.wait(10000))
            return std::nullopt;
        listing = listings.take(pattern);
    }
    return listing;
}

} // namespace

// The listings of the photo directory, made on the worker and kept while the directory stays.
class TestPhotoListing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstTakeWaitsForTheWorker();
    void listingIsKeptWhileTheDirectoryStays_data();
    void listingIsKeptWhileTheDirectoryStays();
    void listingAheadIsWhatTheTickTakes();
    void failureIsNotKept();
    void listingOfAJustChangedDirectoryIsNotKept();
    void tickThatWaitsTakesTheListingBegunForIt();

private:
    QTemporaryDir *m_root = nullptr;
    QString m_pattern;
};

void TestPhotoListing::init()
{
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
    for (const char *name : {"67A.JPG", "02B.JPG"})
        QVERIFY(touch(m_root->filePath(QString::fromLatin1(name))));
    QVERIFY(TestFiles::BackDateByAnHour(m_root->path()));
    m_pattern = m_root->path() + QStringLiteral("/*.*");
}

void TestPhotoListing::cleanup()
{
    delete m_root;
    m_root = nullptr;
}

void TestPhotoListing::firstTakeWaitsForTheWorker()
{
    PhotoListing listings;
    QSignalSpy finished(&listings, &PhotoListing::finished);
    QVERIFY(!listings.take(m_pattern));
    QVERIFY(finished.wait(10000));
    const std::optional<DirectoryListing> listing = listings.take(m_pattern);
    QVERIFY(listing);
    QCOMPARE(listing->names(), QStringList({QStringLiteral("02B.JPG"), QStringLiteral("67A.JPG")}));
}

void TestPhotoListing::listingIsKeptWhileTheDirectoryStays_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("nothing") << QString();
    QTest::newRow("a photo added") << QStringLiteral("added");
    QTest::newRow("a photo removed") << QStringLiteral("removed");
    QTest::newRow("a photo renamed") << QStringLiteral("renamed");
}

void TestPhotoListing::listingIsKeptWhileTheDirectoryStays()
{
    QFETCH(QString, change);
    PhotoListing listings;
    QVERIFY(takeWhenReady(listings, m_pattern));
    QSignalSpy finished(&listings, &PhotoListing::finished);
    QStringList expected{QStringLiteral("02B.JPG"), QStringLiteral("67A.JPG")};
    if (change == QStringLiteral("added")) {
        QVERIFY(touch(m_root->filePath(QStringLiteral("CL1.JPG"))));
        expected.append(QStringLiteral("CL1.JPG"));
    } else if (change == QStringLiteral("removed")) {
        QVERIFY(QFile::remove(m_root->filePath(QStringLiteral("02B.JPG"))));
        expected.removeFirst();
    } else if (change == QStringLiteral("renamed")) {
        QVERIFY(
            QFile::rename(m_root->filePath(QStringLiteral("67A.JPG")), m_root->filePath(QStringLiteral("ZZ9.JPG"))));
        expected.last() = QStringLiteral("ZZ9.JPG");
    }

    const std::optional<DirectoryListing> again = listings.take(m_pattern);
    // Unchanged, the kept listing comes at once; changed, the directory is listed anew.
    QCOMPARE(again.has_value(), change.isEmpty());
    const std::optional<DirectoryListing> listing = again ? again : takeWhenReady(listings, m_pattern);
    QVERIFY(listing);
    QCOMPARE(listing->names(), expected);
    QCOMPARE(finished.size(), change.isEmpty() ? 0 : 1);
}

void TestPhotoListing::listingAheadIsWhatTheTickTakes()
{
    PhotoListing listings;
    QSignalSpy finished(&listings, &PhotoListing::finished);
    QVERIFY(!listings.listAhead(m_pattern));
    // Asked again while it runs, the same listing goes on.
    QVERIFY(!listings.listAhead(m_pattern));
    QVERIFY(finished.wait(10000));
    const std::optional<DirectoryListing> ahead = listings.listAhead(m_pattern);
    QVERIFY(ahead);
    const std::optional<DirectoryListing> taken = listings.take(m_pattern);
    QVERIFY(taken);
    QCOMPARE(taken->names(), ahead->names());
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

void TestPhotoListing::failureIsNotKept()
{
    const QString missing = m_root->path() + QStringLiteral("/draviks/*.*");
    PhotoListing listings;
    const std::optional<DirectoryListing> failed = takeWhenReady(listings, missing);
    QVERIFY(failed);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, failed->names());
    // Nothing changed, and still the next take lists again: the failure may have passed.
    QVERIFY(!listings.take(missing));
    const std::optional<DirectoryListing> again = takeWhenReady(listings, missing);
    QVERIFY(again);
    QVERIFY(again->failed());
    QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("draviks"))));
    QVERIFY(touch(m_root->filePath(QStringLiteral("draviks/CL1.JPG"))));
    const std::optional<DirectoryListing> listing = takeWhenReady(listings, missing);
    QVERIFY(listing);
    QCOMPARE(listing->names(), QStringList{QStringLiteral("CL1.JPG")});
}

void TestPhotoListing::listingOfAJustChangedDirectoryIsNotKept()
{
    QVERIFY(touch(m_root->filePath(QStringLiteral("CL1.JPG"))));
    PhotoListing listings;
    const std::optional<DirectoryListing> listing = takeWhenReady(listings, m_pattern);
    QVERIFY(listing);
    QCOMPARE(listing->names().size(), 3);
    // Unchanged as far as its times tell, but those may not tell yet.
    QVERIFY(!listings.take(m_pattern));
}

// A directory that changes while it is listed for a tick that waits: the tick takes that
// listing, begun after it came, and does not wait for another.
void TestPhotoListing::tickThatWaitsTakesTheListingBegunForIt()
{
    PhotoListing listings;
    QSignalSpy finished(&listings, &PhotoListing::finished);
    QVERIFY(!listings.take(m_pattern));
    QVERIFY(touch(m_root->filePath(QStringLiteral("CL1.JPG"))));
    QVERIFY(finished.wait(10000));
    QVERIFY(listings.take(m_pattern));
}

QTEST_GUILESS_MAIN(TestPhotoListing)
#include "tst_photo_listing.moc"

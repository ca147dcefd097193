#include "platform/files/DirectoryEnumeration.h"
#include "platform/files/DirectoryListing.h"
#include "platform/runtime/RuntimeError.h"
#include "saver/PhotoCycle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// The photo directory as it is now, for the tick about to come.
DirectoryListing listedNow(const QString &photoDir)
{
    return DirectoryListing(PhotoCycle::RestartPattern(photoDir));
}

} // namespace

class TestPhotoCycle : public QObject
{
    Q_OBJECT

private slots:
    void firstFileThreeTimesThenOnwardsAndRestart();
    void singleFile();
    void emptyDirectoryGivesTheDirectoryItself();
    void enumerationErrorLeavesTickCount();
    void followingPathIsTheNextTicksAndChangesNothing_data();
    void followingPathIsTheNextTicksAndChangesNothing();
    void onlyTicksThatStartOverTakeAListing_data();
    void onlyTicksThatStartOverTakeAListing();
    void restartTakesTheListingGivenNotTheDirectoryNow();
};

void TestPhotoCycle::firstFileThreeTimesThenOnwardsAndRestart()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString photoDir = root.path() + QStringLiteral("/draviks/");
    QVERIFY(QDir().mkpath(photoDir));
    for (const char *name : {"ZZ9.JPG", "67A.JPG", "CL1.JPG", "02B.JPG"})
        QVERIFY(touch(photoDir + QString::fromLatin1(name)));

    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    QCOMPARE(cycle.TickCount(), qint16(0));

    const QStringList round{QStringLiteral("02B.JPG"), QStringLiteral("02B.JPG"), QStringLiteral("02B.JPG"),
                            QStringLiteral("67A.JPG"), QStringLiteral("CL1.JPG"), QStringLiteral("ZZ9.JPG")};
    const QList<qint16> counts{1, 2, 3, 3, 3, 3};
    for (int pass = 0; pass < 3; ++pass) {
        for (int tick = 0; tick < round.size(); ++tick) {
            QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), photoDir + round.at(tick));
            QCOMPARE(cycle.TickCount(), counts.at(tick));
        }
    }
}

void TestPhotoCycle::singleFile()
{
    QTemporaryDir root;
    const QString photoDir = root.path() + QLatin1Char('/');
    QVERIFY(touch(photoDir + QStringLiteral("57A01.jpg")));
    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    // After three ticks Next() runs out at once, so every tick restarts.
    const QList<qint16> counts{1, 2, 3, 1, 2, 3, 1};
    for (const qint16 count : counts) {
        QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), photoDir + QStringLiteral("57A01.jpg"));
        QCOMPARE(cycle.TickCount(), count);
    }
}

void TestPhotoCycle::emptyDirectoryGivesTheDirectoryItself()
{
    QTemporaryDir root;
    const QString photoDir = root.path() + QLatin1Char('/');
    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    const QList<qint16> counts{1, 2, 3, 1, 2};
    for (const qint16 count : counts) {
        QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), photoDir);
        QCOMPARE(cycle.TickCount(), count);
    }
}

void TestPhotoCycle::enumerationErrorLeavesTickCount()
{
    QTemporaryDir root;
    const QString photoDir = root.path() + QStringLiteral("/draviks/");
    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    for (int tick = 0; tick < 3; ++tick) {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, cycle.NextPhotoPath(photoDir, listedNow(photoDir)));
        QCOMPARE(cycle.TickCount(), qint16(0));
    }
    // The disc goes in: the cycle starts from the beginning.
    QVERIFY(QDir().mkpath(photoDir));
    QVERIFY(touch(photoDir + QStringLiteral("CL1.JPG")));
    QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), photoDir + QStringLiteral("CL1.JPG"));
    QCOMPARE(cycle.TickCount(), qint16(1));
}

void TestPhotoCycle::followingPathIsTheNextTicksAndChangesNothing_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("four files") << QStringList{QStringLiteral("ZZ9.JPG"), QStringLiteral("67A.JPG"),
                                               QStringLiteral("CL1.JPG"), QStringLiteral("02B.JPG")};
    QTest::newRow("one file") << QStringList{QStringLiteral("57A01.jpg")};
    QTest::newRow("no file") << QStringList{};
}

void TestPhotoCycle::followingPathIsTheNextTicksAndChangesNothing()
{
    QFETCH(QStringList, names);
    QTemporaryDir root;
    const QString photoDir = root.path() + QLatin1Char('/');
    for (const QString &name : names)
        QVERIFY(touch(photoDir + name));

    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    for (int tick = 0; tick < 14; ++tick) {
        const qint16 count = cycle.TickCount();
        const QString following = cycle.FollowingPhotoPath(photoDir, listedNow(photoDir));
        // Asking twice gives the same: the first ask moved nothing on.
        QCOMPARE(cycle.FollowingPhotoPath(photoDir, listedNow(photoDir)), following);
        QCOMPARE(cycle.TickCount(), count);
        QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), following);
    }
}

void TestPhotoCycle::onlyTicksThatStartOverTakeAListing_data()
{
    QTest::addColumn<QStringList>("names");
    // Per tick, whether it starts the enumeration over.
    QTest::addColumn<QList<bool>>("restarts");
    QTest::newRow("four files") << QStringList{QStringLiteral("ZZ9.JPG"), QStringLiteral("67A.JPG"),
                                               QStringLiteral("CL1.JPG"), QStringLiteral("02B.JPG")}
                                << QList<bool>{true, true, true, false, false, false, true, true, true, false};
    QTest::newRow("two files") << QStringList{QStringLiteral("67A.JPG"), QStringLiteral("02B.JPG")}
                               << QList<bool>{true, true, true, false, true, true, true, false};
    QTest::newRow("one file") << QStringList{QStringLiteral("57A01.jpg")} << QList<bool>(8, true);
    QTest::newRow("no file") << QStringList{} << QList<bool>(8, true);
}

// A tick that continues the enumeration is given no listing and needs none; one that starts
// over is told so beforehand, and shows what a cycle given a listing at every tick shows.
void TestPhotoCycle::onlyTicksThatStartOverTakeAListing()
{
    QFETCH(QStringList, names);
    QFETCH(QList<bool>, restarts);
    QTemporaryDir root;
    const QString photoDir = root.path() + QLatin1Char('/');
    for (const QString &name : names)
        QVERIFY(touch(photoDir + name));

    DirectoryEnumeration everyTickEnumeration;
    PhotoCycle everyTick(everyTickEnumeration);
    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    for (qsizetype tick = 0; tick < restarts.size(); ++tick) {
        const bool restart = cycle.NextTickRestarts();
        QCOMPARE(restart, restarts.at(tick));
        const std::optional<DirectoryListing> listing =
            restart ? std::optional(listedNow(photoDir)) : std::optional<DirectoryListing>();
        QCOMPARE(cycle.FollowingPhotoPath(photoDir, listing),
                 everyTick.FollowingPhotoPath(photoDir, listedNow(photoDir)));
        QCOMPARE(cycle.NextPhotoPath(photoDir, listing), everyTick.NextPhotoPath(photoDir, listedNow(photoDir)));
        QCOMPARE(cycle.TickCount(), everyTick.TickCount());
    }
}

void TestPhotoCycle::restartTakesTheListingGivenNotTheDirectoryNow()
{
    QTemporaryDir root;
    const QString photoDir = root.path() + QLatin1Char('/');
    for (const char *name : {"67A.JPG", "CL1.JPG"})
        QVERIFY(touch(photoDir + QString::fromLatin1(name)));
    const DirectoryListing before = listedNow(photoDir);
    QVERIFY(QFile::remove(photoDir + QStringLiteral("67A.JPG")));
    QVERIFY(touch(photoDir + QStringLiteral("02B.JPG")));

    DirectoryEnumeration enumeration;
    PhotoCycle cycle(enumeration);
    QCOMPARE(cycle.NextPhotoPath(photoDir, before), photoDir + QStringLiteral("67A.JPG"));
    // The directory listed now starts the next tick over on what it holds now.
    QCOMPARE(cycle.NextPhotoPath(photoDir, listedNow(photoDir)), photoDir + QStringLiteral("02B.JPG"));
    QCOMPARE(cycle.NextPhotoPath(photoDir, before), photoDir + QStringLiteral("67A.JPG"));
    QCOMPARE(cycle.NextPhotoPath(photoDir, std::nullopt), photoDir + QStringLiteral("CL1.JPG"));
    QCOMPARE(cycle.TickCount(), qint16(3));
}

QTEST_GUILESS_MAIN(TestPhotoCycle)
#include "tst_photo_cycle.moc"

#include "platform/DirectoryEnumeration.h"
#include "platform/RuntimeError.h"
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
            QCOMPARE(cycle.NextPhotoPath(photoDir), photoDir + round.at(tick));
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
        QCOMPARE(cycle.NextPhotoPath(photoDir), photoDir + QStringLiteral("57A01.jpg"));
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
        QCOMPARE(cycle.NextPhotoPath(photoDir), photoDir);
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
        QVERIFY_THROWS_EXCEPTION(RuntimeError, cycle.NextPhotoPath(photoDir));
        QCOMPARE(cycle.TickCount(), qint16(0));
    }
    // The disc goes in: the cycle starts from the beginning.
    QVERIFY(QDir().mkpath(photoDir));
    QVERIFY(touch(photoDir + QStringLiteral("CL1.JPG")));
    QCOMPARE(cycle.NextPhotoPath(photoDir), photoDir + QStringLiteral("CL1.JPG"));
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
        const QString following = cycle.FollowingPhotoPath(photoDir);
        // Asking twice gives the same: the first ask moved nothing on.
        QCOMPARE(cycle.FollowingPhotoPath(photoDir), following);
        QCOMPARE(cycle.TickCount(), count);
        QCOMPARE(cycle.NextPhotoPath(photoDir), following);
    }
}

QTEST_GUILESS_MAIN(TestPhotoCycle)
#include "tst_photo_cycle.moc"

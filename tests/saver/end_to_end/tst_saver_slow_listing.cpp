#include "SaverProgramFixture.h"
#include "SaverSettings.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "XDoTool.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

// Albums beside the photos, which the cycle leaves out: held up a second each, they make a
// listing take minutes.
constexpr int kOtherEntries = 150;
// Far under the listing; the rest is margin for a loaded machine under a sanitizer.
constexpr int kEndsWithinMs = 30000;
const QString kSecondPhoto = QStringLiteral("67A01.png");

// How many ticks the timing log tells of.
qsizetype ticksLogged(const QString &log)
{
    static const QRegularExpression tick(QStringLiteral("Timer1_Timer \\d+ us"));
    return log.count(tick);
}

} // namespace

// The real program on a real X server (Xvfb, 1024 × 768), ticking every second, over a photo
// directory a slow disc takes minutes to list (slow_listing, preloaded): the directory is
// listed where it holds up neither the ticks nor the saver's end, so a key pressed while a
// tick waits for the listing ends the saver at once.
class TestSaverSlowListing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void keyEndsTheSaverWhileTheDirectoryIsListed_data();
    void keyEndsTheSaverWhileTheDirectoryIsListed();

private:
    QProcessEnvironment environment() const;

    SaverProgramFixture m_saver;
    QString m_gate;
};

void TestSaverSlowListing::initTestCase()
{
    m_saver.setUp();
    m_gate = m_saver.root() + QStringLiteral("/disc-is-slow");
    const QString photoDir = m_saver.photoDir();
    QVERIFY(TestFiles::WriteFile(photoDir + QStringLiteral("57A01.png"), TestPictures::Solid(Qt::red, "png")));
    QVERIFY(TestFiles::WriteFile(photoDir + kSecondPhoto, TestPictures::Solid(Qt::green, "png")));
    for (int i = 0; i < kOtherEntries; ++i)
        QVERIFY(QDir().mkdir(photoDir + QStringLiteral("album%1").arg(i)));
    StoreSaverSettings(QStringLiteral("1"), photoDir);
}

void TestSaverSlowListing::init()
{
    QFile::remove(m_gate);
    // The pointer rests where the saver will appear: the saver appearing under it is no input.
    QVERIFY(XDoTool::mouseMove(500, 300));
}

QProcessEnvironment TestSaverSlowListing::environment() const
{
    QProcessEnvironment env = m_saver.environment(QStringLiteral("dravik.timing.debug=true"));
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(DRAVIK_SLOW_LISTING));
    env.insert(QStringLiteral("DRAVIK_SLOW_LISTING_DIR"), m_saver.photoDir());
    env.insert(QStringLiteral("DRAVIK_SLOW_LISTING_GATE"), m_gate);
    // A sanitizer build wants its runtime first among the libraries, before the preloaded one.
    const QString sanitizer = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               sanitizer + (sanitizer.isEmpty() ? QString() : QStringLiteral(":"))
                   + QStringLiteral("verify_asan_link_order=0"));
    return env;
}

void TestSaverSlowListing::keyEndsTheSaverWhileTheDirectoryIsListed_data()
{
    QTest::addColumn<bool>("slowFromTheStart");
    QTest::newRow("the first listing") << true;
    QTest::newRow("a listing after the directory changed") << false;
}

void TestSaverSlowListing::keyEndsTheSaverWhileTheDirectoryIsListed()
{
    QFETCH(bool, slowFromTheStart);
    if (slowFromTheStart)
        QVERIFY(TestFiles::WriteFile(m_gate, {}));
    ProgramProcess program(environment());
    SaverProgramFixture::start(program);

    if (!slowFromTheStart) {
        // The cycle runs: the ticks have reached the second photo's decode ahead.
        QVERIFY2(program.waitForStderr(kSecondPhoto), qPrintable(program.standardError()));
        QVERIFY(TestFiles::WriteFile(m_gate, {}));
        // A new name: the directory is not the one listed before, and a restart lists it anew.
        QVERIFY(QDir().mkdir(m_saver.photoDir() + QStringLiteral("album-new")));
    }
    QVERIFY2(program.waitForStderr(QStringLiteral("slow listing"), 20000), qPrintable(program.standardError()));
    // A tick comes while the listing runs, the user-interface thread free for it.
    const qsizetype ticksBefore = ticksLogged(program.standardError());
    QVERIFY2(QTest::qWaitFor([&] { return ticksLogged(program.standardError()) > ticksBefore; }, 10000),
             qPrintable(program.standardError()));

    QVERIFY(XDoTool::key(QStringLiteral("a")));
    SaverProgramFixture::waitForGoodEnd(program, QStringLiteral("the key"), kEndsWithinMs);
    QVERIFY2(program.standardError().contains(QStringLiteral("Form_KeyDown")), qPrintable(program.standardError()));
}

QTEST_MAIN(TestSaverSlowListing)
#include "tst_saver_slow_listing.moc"

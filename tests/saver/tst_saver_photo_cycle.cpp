#include "FullScreenForm1.h"
#include "IsolatedUserDirs.h"
#include "MessageBoxWatcher.h"
#include "SaverSettings.h"
#include "ScanBomb.h"
#include "ScreenColours.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "platform/controls/ImageElement.h"
#include "platform/controls/Panel3D.h"
#include "platform/desktop/Timer.h"

#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestPictures;
using namespace TestFiles;
using namespace ScreenColours;

namespace {

const QString kFailureText =
    QStringLiteral("Unable to find Dravik photographs!\n\nMake sure that the Dravik Quintavel is in the CDROM drive.");
const QString kFailureTitle = QStringLiteral("The Dravik Quintavel Screen Saver");

const QColor kRed(220, 0, 0);
const QColor kGreen(0, 200, 0);
const QColor kBlue(0, 0, 220);
const QColor kYellow(230, 230, 0);

} // namespace

// The photo cycle of the real window over real photo directories, tick by tick.
class TestSaverPhotoCycle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstFileThreeTimesThenOnwardsWithCaptions();
    void photoIsDecodedAtTheFrameSize();
    void namesThatAreNotUtf8();
    void nonPictureFirstFile();
    void nonPictureLaterFile();
    void emptyDirectory();
    void defaultDirectory();
    void failureMessagesNeverPileUp();
    void pointerIsShownOverTheFailureMessage();
    void samePhotoIsDecodedOnce();
    void nextPhotoIsReadyAtItsTick();
    void changedFileIsDecodedAnew_data();
    void changedFileIsDecodedAnew();
    void fileSpoiltAfterItsDecodeFailsAtItsTick_data();
    void fileSpoiltAfterItsDecodeFailsAtItsTick();
    void closingDuringADecodeDoesNotWaitForIt();

private:
    // A window loaded with the photo directory, its timer stopped so the test drives the ticks.
    void load(const QString &photoDir, const QString &interval = QStringLiteral("0"));
    // One tick, to its end: its photo shown, or its failure message answered.
    void tick();
    QString caption() const { return m_form->findChild<Panel3D *>(QStringLiteral("panYear"))->Caption(); }
    QImage picture() const { return m_form->findChild<ImageElement *>(QStringLiteral("Image1"))->Picture(); }
    bool showing(const QColor &colour) const;
    // Ticks until the next photo is the second file, and gives its decode ahead time to end.
    void showFirstFileAndWait();
    QString photoDir(const QStringList &files);

    IsolatedUserDirs m_userDirs;
    QTemporaryDir *m_root = nullptr;
    Form1 *m_form = nullptr;
    int m_ends = 0;
};

void TestSaverPhotoCycle::initTestCase()
{
    m_userDirs.applyToThisProcess();
}

void TestSaverPhotoCycle::init()
{
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
    m_ends = 0;
}

void TestSaverPhotoCycle::cleanup()
{
    delete m_form;
    m_form = nullptr;
    delete m_root;
    m_root = nullptr;
    QCOMPARE(m_ends, 0);
}

void TestSaverPhotoCycle::load(const QString &photoDir, const QString &interval)
{
    StoreSaverSettings(interval, photoDir.isNull() ? std::nullopt : std::optional<QString>(photoDir));
    m_form = new FullScreenForm1([this] { ++m_ends; });
    m_form->showModeless();
}

void TestSaverPhotoCycle::tick()
{
    emit m_form->findChild<Timer *>(QStringLiteral("Timer1"))->Tick();
    QVERIFY(QTest::qWaitFor([this] { return !m_form->TickWaitsForPhoto(); }));
}

bool TestSaverPhotoCycle::showing(const QColor &colour) const
{
    const QImage shown = picture();
    return !shown.isNull() && IsColour(shown.pixel(shown.width() / 2, shown.height() / 2), colour);
}

// Files named "<name>:<colour>" are pictures of that colour, others hold text.
QString TestSaverPhotoCycle::photoDir(const QStringList &files)
{
    const QString dir = m_root->path() + QStringLiteral("/cdrom/DRAVIKS/");
    if (!QDir().mkpath(dir))
        return {};
    for (const QString &file : files) {
        const QString name = file.section(QLatin1Char(':'), 0, 0);
        const QString colour = file.section(QLatin1Char(':'), 1);
        const QByteArray contents = colour.isEmpty() ? QByteArray("not a picture\n") : Solid(QColor(colour), "png");
        if (!WriteFile(dir + name, contents))
            return {};
    }
    return dir;
}

void TestSaverPhotoCycle::firstFileThreeTimesThenOnwardsWithCaptions()
{
    const QString dir =
        photoDir({QStringLiteral("ZZ9.png:") + kYellow.name(), QStringLiteral("67A.png:") + kRed.name(),
                  QStringLiteral("CL1.png:") + kGreen.name(), QStringLiteral("02B.png:") + kBlue.name()});
    QVERIFY(!dir.isEmpty());
    MessageBoxWatcher messages;
    load(dir);

    struct Shown
    {
        QColor colour;
        QString caption;
    };
    const Shown y2002{kBlue, QStringLiteral("  2002 Dravik   ")};
    const Shown y1967{kRed, QStringLiteral("  1967 Dravik   ")};
    const Shown classic{kGreen, QStringLiteral("Classic Draviks")};
    const Shown stamps{kYellow, QStringLiteral("Dravik Philately ")};
    const QList<Shown> expected{y2002, y2002, y2002, y1967,   classic, stamps, y2002,
                                y2002, y2002, y1967, classic, stamps,  y2002};
    const QList<qint16> tickCounts{1, 2, 3, 3, 3, 3, 1, 2, 3, 3, 3, 3, 1};

    for (int i = 0; i < expected.size(); ++i) {
        tick();
        QVERIFY2(showing(expected.at(i).colour), qPrintable(QStringLiteral("tick %1").arg(i + 1)));
        QCOMPARE(caption(), expected.at(i).caption);
        QCOMPARE(m_form->TickCount(), tickCounts.at(i));
    }
    QVERIFY(messages.seen().isEmpty());
}

void TestSaverPhotoCycle::photoIsDecodedAtTheFrameSize()
{
    const QString dir = m_root->path() + QStringLiteral("/draviks/");
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(WriteFile(dir + QStringLiteral("TF001.jpg"), Solid(kBlue, "jpg", QSize(2400, 1600))));
    load(dir);
    tick();
    // The photo's own device pixels: twice the frame's size on a screen of device pixel ratio 2.
    const auto *photo = m_form->findChild<ImageElement *>(QStringLiteral("Image1"));
    QCOMPARE(photo->size(), QSize(777, 473));
    QCOMPARE(picture().size(), QSize(777, 473) * photo->devicePixelRatio());
    QVERIFY(showing(kBlue));
    QCOMPARE(caption(), QStringLiteral("Franklin Mint Die-cast Models "));
}

// A disc with Latin-1 names mounted without conversion: the photos are shown, and each stray
// byte is one replacement character in the caption.
void TestSaverPhotoCycle::namesThatAreNotUtf8()
{
    const QString dir = photoDir({});
    QVERIFY(!dir.isEmpty());
    const QByteArray red = QFile::encodeName(dir) + "67\xe9.png";
    const QByteArray green = QFile::encodeName(dir) + "T\xe9.png";
    // QTemporaryDir removes by text names, which cannot reach these files.
    const auto removeByBytes = qScopeGuard([&] {
        ::unlink(red.constData());
        ::unlink(green.constData());
    });
    QVERIFY(WriteFileNamedByBytes(red, Solid(kRed, "png")));
    QVERIFY(WriteFileNamedByBytes(green, Solid(kGreen, "png")));
    MessageBoxWatcher messages;
    load(dir);
    for (int i = 1; i <= 3; ++i) {
        tick();
        QVERIFY2(showing(kRed), qPrintable(QStringLiteral("tick %1").arg(i)));
        QCOMPARE(caption(), QStringLiteral("  1967 Dravik   "));
    }
    tick();
    QVERIFY(showing(kGreen));
    QCOMPARE(caption(), QStringLiteral("  200\ufffd Dravik   "));
    QVERIFY(messages.seen().isEmpty());
}

void TestSaverPhotoCycle::nonPictureFirstFile()
{
    const QString dir = photoDir({QStringLiteral("00A.jpg"), QStringLiteral("67A.png:") + kRed.name(),
                                  QStringLiteral("CL1.png:") + kGreen.name()});
    MessageBoxWatcher messages;
    load(dir);
    const QImage initial = picture();
    const QString credit = caption();

    // The first file takes three ticks, each ending in the failure message.
    for (int i = 1; i <= 3; ++i) {
        tick();
        QCOMPARE(messages.seen().size(), i);
        QCOMPARE(m_form->TickCount(), qint16(i));
        QCOMPARE(picture(), initial);
        QCOMPARE(caption(), credit);
    }
    const MessageBoxWatcher::Seen &message = messages.seen().first();
    QCOMPARE(message.text, kFailureText);
    QCOMPARE(message.title, kFailureTitle);
    QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(message.buttonCount, 1);

    tick();
    QVERIFY(showing(kRed));
    QCOMPARE(caption(), QStringLiteral("  1967 Dravik   "));
    tick();
    QVERIFY(showing(kGreen));
    // Restart: the first file again, with its message.
    tick();
    QCOMPARE(messages.seen().size(), 4);
    QCOMPARE(m_form->TickCount(), qint16(1));
    QVERIFY(showing(kGreen));
}

void TestSaverPhotoCycle::nonPictureLaterFile()
{
    const QString dir = photoDir({QStringLiteral("02B.png:") + kBlue.name(), QStringLiteral("67A.jpg"),
                                  QStringLiteral("CL1.png:") + kGreen.name()});
    MessageBoxWatcher messages;
    load(dir);
    for (int i = 0; i < 3; ++i)
        tick();
    QVERIFY(showing(kBlue));
    QVERIFY(messages.seen().isEmpty());

    // Its decode ahead has failed by now, and says nothing until its tick.
    QTest::qWait(500);
    QVERIFY(messages.seen().isEmpty());
    tick(); // 67A.jpg is text: the message once, picture and caption stay
    QCOMPARE(messages.seen().size(), 1);
    QVERIFY(showing(kBlue));
    QCOMPARE(caption(), QStringLiteral("  2002 Dravik   "));

    tick(); // and the next tick moves on
    QCOMPARE(messages.seen().size(), 1);
    QVERIFY(showing(kGreen));
    QCOMPARE(caption(), QStringLiteral("Classic Draviks"));
}

void TestSaverPhotoCycle::emptyDirectory()
{
    const QString dir = photoDir({});
    MessageBoxWatcher messages;
    load(dir);
    for (int i = 1; i <= 7; ++i) {
        tick();
        QCOMPARE(messages.seen().size(), i);
        QCOMPARE(messages.seen().last().text, kFailureText);
    }
}

void TestSaverPhotoCycle::defaultDirectory()
{
    // " " names no directory: the enumeration looks for names beginning with a blank in
    // the current directory, so make sure there is none.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root->path()));
    MessageBoxWatcher messages;
    load(QString());
    for (int i = 1; i <= 4; ++i) {
        tick();
        QCOMPARE(messages.seen().size(), i);
    }
    QVERIFY(QDir::setCurrent(previous));
}

void TestSaverPhotoCycle::failureMessagesNeverPileUp()
{
    const QString dir = photoDir({});
    MessageBoxWatcher messages;
    qint16 tickCountWhileOpen = -1;
    messages.setWhileOpen([&](QMessageBox &) {
        const qint16 before = m_form->TickCount();
        // Real ticks every second while the message waits, and a few more by hand.
        QTest::qWait(2500);
        for (int i = 0; i < 3; ++i)
            tick();
        tickCountWhileOpen = m_form->TickCount() == before ? before : qint16(-2);
        m_form->findChild<Timer *>(QStringLiteral("Timer1"))->setInterval(0);
    });
    load(dir, QStringLiteral("1"));

    QTRY_COMPARE_WITH_TIMEOUT(messages.seen().size(), 1, 5000);
    QCOMPARE(messages.seen().first().openAtOnce, 1);
    QCOMPARE(tickCountWhileOpen, qint16(1));
}

namespace {

// What the pointer looks like over the program's windows.
Qt::CursorShape pointerShape()
{
    const QCursor *override = QGuiApplication::overrideCursor();
    return override ? override->shape() : Qt::ArrowCursor;
}

} // namespace

void TestSaverPhotoCycle::pointerIsShownOverTheFailureMessage()
{
    const QString dir = photoDir({});
    MessageBoxWatcher messages;
    std::optional<Qt::CursorShape> whileOpen;
    messages.setWhileOpen([&](QMessageBox &) { whileOpen = pointerShape(); });
    load(dir);
    QCOMPARE(pointerShape(), Qt::BlankCursor);

    tick();
    QCOMPARE(messages.seen().size(), 1);
    // Its OK button can be found with the mouse; the saver hides the pointer again after.
    QCOMPARE(whileOpen, std::optional(Qt::ArrowCursor));
    QCOMPARE(pointerShape(), Qt::BlankCursor);
}

void TestSaverPhotoCycle::showFirstFileAndWait()
{
    for (int i = 0; i < 3; ++i)
        tick();
    // Far longer than the decode of a small picture takes, even under a sanitizer.
    QTest::qWait(500);
}

void TestSaverPhotoCycle::samePhotoIsDecodedOnce()
{
    const QString dir = photoDir({QStringLiteral("02B.png:") + kBlue.name(), QStringLiteral("67A.png:") + kRed.name()});
    load(dir);
    tick();
    const qint64 firstDecode = picture().cacheKey();
    for (int i = 2; i <= 3; ++i) {
        tick();
        QCOMPARE(picture().cacheKey(), firstDecode);
    }
    tick();
    QVERIFY(showing(kRed));
    QVERIFY(picture().cacheKey() != firstDecode);
}

void TestSaverPhotoCycle::nextPhotoIsReadyAtItsTick()
{
    const QString dir = photoDir({QStringLiteral("02B.png:") + kBlue.name(), QStringLiteral("67A.png:") + kRed.name(),
                                  QStringLiteral("CL1.png:") + kGreen.name()});
    load(dir);
    QTest::qWait(500);
    for (const QColor &colour : {kBlue, kBlue, kBlue, kRed, kGreen, kBlue}) {
        emit m_form->findChild<Timer *>(QStringLiteral("Timer1"))->Tick();
        QVERIFY(!m_form->TickWaitsForPhoto());
        QVERIFY(showing(colour));
        QTest::qWait(500);
    }
}

void TestSaverPhotoCycle::changedFileIsDecodedAnew_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("another file renamed over it") << false;
    QTest::newRow("rewritten in place") << true;
}

void TestSaverPhotoCycle::changedFileIsDecodedAnew()
{
    QFETCH(bool, inPlace);
    const QString dir = photoDir({QStringLiteral("02B.png:") + kBlue.name(), QStringLiteral("67A.png:") + kRed.name()});
    load(dir);
    showFirstFileAndWait();

    const QString second = dir + QStringLiteral("67A.png");
    const QByteArray green = Solid(kGreen, "png");
    if (inPlace) {
        QFile file(second);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(green), green.size());
        QVERIFY(file.resize(green.size()));
    } else {
        QVERIFY(WriteFile(dir + QStringLiteral("new.tmp"), green));
        QCOMPARE(::rename(QFile::encodeName(dir + QStringLiteral("new.tmp")).constData(),
                          QFile::encodeName(second).constData()),
                 0);
    }
    tick();
    QVERIFY(showing(kGreen));
    QCOMPARE(caption(), QStringLiteral("  1967 Dravik   "));
}

void TestSaverPhotoCycle::fileSpoiltAfterItsDecodeFailsAtItsTick_data()
{
    QTest::addColumn<QString>("spoilt");
    QTest::newRow("removed") << QStringLiteral("removed");
    QTest::newRow("a named pipe in its place") << QStringLiteral("fifo");
    QTest::newRow("no longer readable") << QStringLiteral("unreadable");
}

void TestSaverPhotoCycle::fileSpoiltAfterItsDecodeFailsAtItsTick()
{
    QFETCH(QString, spoilt);
    if (spoilt == QStringLiteral("unreadable") && ::geteuid() == 0)
        QSKIP("root reads every file");
    const QString dir = photoDir({QStringLiteral("02B.png:") + kBlue.name(), QStringLiteral("67A.png:") + kRed.name(),
                                  QStringLiteral("CL1.png:") + kGreen.name()});
    MessageBoxWatcher messages;
    load(dir);
    showFirstFileAndWait();

    const QByteArray second = QFile::encodeName(dir + QStringLiteral("67A.png"));
    if (spoilt == QStringLiteral("unreadable")) {
        QVERIFY(QFile::setPermissions(QFile::decodeName(second), QFileDevice::Permissions()));
    } else {
        QCOMPARE(::unlink(second.constData()), 0);
        if (spoilt == QStringLiteral("fifo"))
            QCOMPARE(::mkfifo(second.constData(), 0600), 0);
    }
    QVERIFY(messages.seen().isEmpty());
    tick();
    QCOMPARE(messages.seen().size(), 1);
    QVERIFY(showing(kBlue));
    QCOMPARE(caption(), QStringLiteral("  2002 Dravik   "));
    QCOMPARE(m_form->TickCount(), qint16(3));
    tick();
    QVERIFY(showing(kGreen));
}

// The window goes while its photo decodes for half a minute: the decode is stopped, and the
// worker ends with nothing of the window left to touch (the sanitizers check that).
void TestSaverPhotoCycle::closingDuringADecodeDoesNotWaitForIt()
{
    const QString dir = photoDir({});
    const QByteArray bomb = ScanBomb::Jpeg();
    QVERIFY(!bomb.isEmpty());
    QVERIFY(WriteFile(dir + QStringLiteral("57A01.jpg"), bomb));
    load(dir);
    emit m_form->findChild<Timer *>(QStringLiteral("Timer1"))->Tick();
    QVERIFY(m_form->TickWaitsForPhoto());
    QTest::qWait(300);

    QElapsedTimer closing;
    closing.start();
    QVERIFY(m_form->close());
    delete m_form;
    m_form = nullptr;
    // Well under the decode's time limit, and far under the decode itself.
    QVERIFY2(closing.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(closing.elapsed())));
}

QTEST_MAIN(TestSaverPhotoCycle)
#include "tst_saver_photo_cycle.moc"

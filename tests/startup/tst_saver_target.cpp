#include "startup/SaverTarget.h"

#include <QTest>

using Kind = SaverTarget::Kind;

// Where saver mode draws, from the arguments a daemon passes and the window it names in
// $XSCREENSAVER_WINDOW.
class TestSaverTarget : public QObject
{
    Q_OBJECT

private slots:
    void targetFromArguments_data();
    void targetFromArguments();
};

void TestSaverTarget::targetFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("daemonWindow"); // null: not set
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint64>("window");
    QTest::addColumn<bool>("warns");

    const auto full = int(Kind::FullScreen);
    const auto root = int(Kind::RootWindow);
    const auto window = int(Kind::Window);
    QTest::newRow("nothing") << QStringList{} << QString() << full << quint64(0) << false;
    QTest::newRow("/s") << QStringList{QStringLiteral("/s")} << QString() << full << quint64(0) << false;
    QTest::newRow("/p 123") << QStringList{QStringLiteral("/p"), QStringLiteral("123")} << QString() << full
                            << quint64(0) << false;
    QTest::newRow("/C") << QStringList{QStringLiteral("/C")} << QString() << full << quint64(0) << false;
    QTest::newRow("the daemon's window is not named for others")
        << QStringList{} << QStringLiteral("0x400007") << full << quint64(0) << false;

    QTest::newRow("--root, no daemon window")
        << QStringList{QStringLiteral("--root")} << QString() << root << quint64(0) << false;
    QTest::newRow("-root") << QStringList{QStringLiteral("-root")} << QString() << root << quint64(0) << false;
    QTest::newRow("--root in the daemon's hex window")
        << QStringList{QStringLiteral("--root")} << QStringLiteral("0x400007") << window << quint64(0x400007) << false;
    QTest::newRow("--root in the daemon's decimal window")
        << QStringList{QStringLiteral("-root")} << QStringLiteral("4194311") << window << quint64(4194311) << false;
    QTest::newRow("a token that is no window id")
        << QStringList{QStringLiteral("--root")} << QStringLiteral("wayland-1a2b") << full << quint64(0) << true;
    QTest::newRow("an empty daemon window")
        << QStringList{QStringLiteral("--root")} << QStringLiteral("") << full << quint64(0) << true;
    QTest::newRow("a window id with a blank")
        << QStringList{QStringLiteral("--root")} << QStringLiteral(" 0x400007") << full << quint64(0) << true;
    QTest::newRow("window 0") << QStringList{QStringLiteral("--root")} << QStringLiteral("0") << full << quint64(0)
                              << true;
    QTest::newRow("beyond 32 bits") << QStringList{QStringLiteral("--root")} << QStringLiteral("0x100000000") << full
                                    << quint64(0) << true;

    QTest::newRow("--window-id hex") << QStringList{QStringLiteral("--window-id"), QStringLiteral("0x2a0001f")}
                                     << QString() << window << quint64(0x2a0001f) << false;
    QTest::newRow("-window-id decimal") << QStringList{QStringLiteral("-window-id"), QStringLiteral("44040223")}
                                        << QString() << window << quint64(44040223) << false;
    QTest::newRow("--window-id wins over --root")
        << QStringList{QStringLiteral("--root"), QStringLiteral("--window-id"), QStringLiteral("0x2a0001f")}
        << QStringLiteral("0x400007") << window << quint64(0x2a0001f) << false;
    QTest::newRow("--window-id without an id")
        << QStringList{QStringLiteral("--window-id")} << QString() << full << quint64(0) << true;
    QTest::newRow("--window-id with letters") << QStringList{QStringLiteral("--window-id"), QStringLiteral("preview")}
                                              << QString() << full << quint64(0) << true;
    QTest::newRow("--window-id with a sign")
        << QStringList{QStringLiteral("--window-id"), QStringLiteral("+12")} << QString() << full << quint64(0) << true;
}

void TestSaverTarget::targetFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, daemonWindow);
    QFETCH(int, kind);
    QFETCH(quint64, window);
    QFETCH(bool, warns);

    const SaverTarget target = SaverTargetFrom(arguments, daemonWindow);
    QCOMPARE(int(target.kind), kind);
    QCOMPARE(quint64(target.window), window);
    QCOMPARE(!target.warning.isEmpty(), warns);
    QCOMPARE(target.drawsIntoAWindow(), kind != int(Kind::FullScreen));
}

QTEST_APPLESS_MAIN(TestSaverTarget)
#include "tst_saver_target.moc"

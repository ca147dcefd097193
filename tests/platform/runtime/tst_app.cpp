#include "platform/runtime/App.h"

#include <QtTest>

// The application object's view of how the program was started.
class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void commandLineIsTakenAsReceived_data();
    void commandLineIsTakenAsReceived();
};

void TestApp::commandLineIsTakenAsReceived_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("commandLine");

    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("one") << QStringList{QStringLiteral("/c")} << QStringLiteral("/c");
    QTest::newRow("two") << QStringList{QStringLiteral("/p"), QStringLiteral("123")} << QStringLiteral("/p 123");
    QTest::newRow("blanks kept") << QStringList{QStringLiteral(" /c")} << QStringLiteral(" /c");
    QTest::newRow("case kept") << QStringList{QStringLiteral("/C:99")} << QStringLiteral("/C:99");
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("/s"), QStringLiteral("Å")} << QStringLiteral("/s Å");
}

void TestApp::commandLineIsTakenAsReceived()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, commandLine);

    std::vector<QByteArray> storage{QByteArrayLiteral("Dravik2001.scr")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    QCOMPARE(App::commandLineFrom(int(argv.size()), argv.data()), commandLine);
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"

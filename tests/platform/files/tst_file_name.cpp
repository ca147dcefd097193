#include "platform/files/FileName.h"

#include <QTest>

namespace {

// "%E9" stands for the code unit U+DCE9, the escape of the byte 0xE9: C++ string literals
// cannot hold lone surrogates.
QString lossless(const QString &pattern)
{
    QString text = pattern;
    for (qsizetype at = text.indexOf(QLatin1Char('%')); at >= 0; at = text.indexOf(QLatin1Char('%'), at + 1))
        text.replace(at, 3, QChar(char16_t(0xdc00 + text.mid(at + 1, 2).toUInt(nullptr, 16))));
    return text;
}

QByteArray bytesOf(std::initializer_list<char> bytes)
{
    return QByteArray(std::data(bytes), qsizetype(bytes.size()));
}

bool holdsEscape(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0xdc80 && c.unicode() <= 0xdcff; });
}

} // namespace

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void fromBytes_data();
    void fromBytes();
    void everyShortNameComesBack();
    void textThatNamesNoFile_data();
    void textThatNamesNoFile();
    void forDisplay_data();
    void forDisplay();
};

void TestFileName::fromBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII") << QByteArray("67A01.JPG") << QStringLiteral("67A01.JPG");
    QTest::newRow("UTF-8 e acute") << QByteArray("\xc3\xa9.jpg") << QStringLiteral("\u00e9.jpg");
    QTest::newRow("UTF-8 outside the BMP") << QByteArray("\xf0\x90\x90\x80") << QStringLiteral("\U00010400");
    QTest::newRow("UTF-8 replacement character itself") << QByteArray("\xef\xbf\xbd") << QStringLiteral("\ufffd");
    QTest::newRow("Latin-1 e acute") << QByteArray("67\xe9.JPG") << lossless(QStringLiteral("67%E9.JPG"));
    QTest::newRow("lone continuation byte") << QByteArray("\x80x") << lossless(QStringLiteral("%80x"));
    QTest::newRow("sequence cut short") << QByteArray("\xe2\x82"
                                                      "A")
                                        << lossless(QStringLiteral("%E2%82A"));
    QTest::newRow("sequence cut by the end") << QByteArray("a\xf0\x90\x90") << lossless(QStringLiteral("a%F0%90%90"));
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << lossless(QStringLiteral("%C0%AF"));
    QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << lossless(QStringLiteral("%E0%80%AF"));
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << lossless(QStringLiteral("%ED%A0%80"));
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << lossless(QStringLiteral("%F4%90%80%80"));
    QTest::newRow("never a lead byte") << QByteArray("\xf5\xff") << lossless(QStringLiteral("%F5%FF"));
    QTest::newRow("valid after invalid") << QByteArray("\xe9\xc3\xa9") << lossless(QStringLiteral("%E9\u00e9"));
}

void TestFileName::fromBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(FileName::fromBytes(bytes), text);
    QCOMPARE(FileName::toBytes(text), std::optional<QByteArray>(bytes));
}

// Every name of one or two bytes, and three- and four-byte names around each boundary of
// UTF-8's ranges: the bytes come back exactly, and a valid name decodes as Qt decodes it.
void TestFileName::everyShortNameComesBack()
{
    QList<QByteArray> names;
    for (int first = 1; first < 256; ++first) {
        names << QByteArray(1, char(first));
        for (int second = 1; second < 256; ++second)
            names << bytesOf({char(first), char(second)});
    }
    const QByteArray edges = QByteArray::fromHex("417f808f909fa0bfc0c1c2dfe0edeff0f4f5ff");
    for (const char first : edges) {
        for (const char second : edges) {
            for (const char third : edges) {
                names << bytesOf({first, second, third});
                for (const char fourth : edges)
                    names << bytesOf({first, second, third, fourth});
            }
        }
    }

    for (const QByteArray &name : std::as_const(names)) {
        const QString text = FileName::fromBytes(name);
        QVERIFY2(FileName::toBytes(text) == name, name.toHex().constData());
        if (name.isValidUtf8()) {
            QVERIFY2(text == QString::fromUtf8(name), name.toHex().constData());
        } else {
            QVERIFY2(holdsEscape(text), name.toHex().constData());
            QVERIFY2(FileName::forDisplay(text).contains(QChar(0xfffd)), name.toHex().constData());
        }
    }
}

void TestFileName::textThatNamesNoFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lone high surrogate") << QStringLiteral("a") + QChar(0xd801) + QStringLiteral(".jpg");
    QTest::newRow("high surrogate at the end") << QStringLiteral("a") + QChar(0xd801);
    QTest::newRow("low surrogate below the escapes") << lossless(QStringLiteral("%7F.jpg"));
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b.jpg", 7);
}

void TestFileName::textThatNamesNoFile()
{
    QFETCH(QString, text);
    QCOMPARE(FileName::toBytes(text), std::nullopt);
}

void TestFileName::forDisplay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("valid text stays") << QStringLiteral("/cd/DRAVIKS/\u00e9\U00010428.jpg")
                                      << QStringLiteral("/cd/DRAVIKS/\u00e9\U00010428.jpg");
    QTest::newRow("each escape is one replacement")
        << lossless(QStringLiteral("67%E9%E8.JPG")) << QStringLiteral("67\ufffd\ufffd.JPG");
    QTest::newRow("other lone surrogates too")
        << QChar(0xd801) + lossless(QStringLiteral("a%00")) << QStringLiteral("\ufffda\ufffd");
}

void TestFileName::forDisplay()
{
    QFETCH(QString, text);
    QTEST(FileName::forDisplay(text), "shown");
}

QTEST_APPLESS_MAIN(TestFileName)
#include "tst_file_name.moc"

#include "platform/files/FileName.h"
#include "settings/ProgramSettings.h"
#include "settings/store/IniDocument.h"

#include <QTest>

// The settings file's dialect, in memory: what a file as others write it holds, and the one
// line a change touches.
class TestIniDocument : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatOthersWrite_data();
    void readsWhatOthersWrite();
    void changesOnlyTheLineOfItsKey_data();
    void changesOnlyTheLineOfItsKey();
};

void TestIniDocument::readsWhatOthersWrite_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString dir = SettingNames::DraviksDir;
    const QString interval = SettingNames::Interval;
    QTest::newRow("unquoted commas") << QByteArray("[Settings]\nDraviksDir=/photos/a,b/\n") << dir
                                     << QStringLiteral("/photos/a,b/");
    QTest::newRow("quoted backslashes") << QByteArray("[Settings]\nDraviksDir=\"E:\\\\DRAVIKS\\\\\"\n") << dir
                                        << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("quoted blank") << QByteArray("[Settings]\nDraviksDir=\" \"\n") << dir << QStringLiteral(" ");
    QTest::newRow("CR LF lines") << QByteArray("[Settings]\r\nInterval=9\r\nDraviksDir=/p/\r\n") << dir
                                 << QStringLiteral("/p/");
    QTest::newRow("UTF-8") << QByteArray("[Settings]\nDraviksDir=/fotos/\xc3\xa9t\xc3\xa9/\n") << dir
                           << QStringLiteral("/fotos/été/");
    QTest::newRow("key absent") << QByteArray("[Settings]\nInterval=9\n") << dir << QStringLiteral("absent");
    QTest::newRow("section absent") << QByteArray("[Other]\nDraviksDir=/p/\n") << dir << QStringLiteral("absent");
    QTest::newRow("empty file") << QByteArray() << dir << QStringLiteral("absent");

    // Typed by hand: the text after "key=" is the value, whatever it holds.
    QTest::newRow("comma and blank") << QByteArray("[Settings]\nDraviksDir=/media/cdrom/Dravik, Photos/draviks/\n")
                                     << dir << QStringLiteral("/media/cdrom/Dravik, Photos/draviks/");
    QTest::newRow("backslashes") << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=5\n") << dir
                                 << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("network share") << QByteArray("[Settings]\nDraviksDir=\\\\server\\share\\draviks\\\n") << dir
                                   << QStringLiteral("\\\\server\\share\\draviks\\");
    QTest::newRow("semicolon and hash") << QByteArray("[Settings]\nDraviksDir=/p;1/#2/\n") << dir
                                        << QStringLiteral("/p;1/#2/");
    QTest::newRow("percent and quotes") << QByteArray("[Settings]\nDraviksDir=/100%20 \"x\"/\n") << dir
                                        << QStringLiteral("/100%20 \"x\"/");
    QTest::newRow("blank at the end") << QByteArray("[Settings]\nDraviksDir=/p/ \n") << dir << QStringLiteral("/p/");
    QTest::newRow("blank after the equals sign")
        << QByteArray("[Settings]\nDraviksDir= /p/\n") << dir << QStringLiteral("/p/");
    QTest::newRow("blanks around the equals sign") << QByteArray("[Settings]\nDraviksDir = /media/cdrom/draviks/\n")
                                                   << dir << QStringLiteral("/media/cdrom/draviks/");
    QTest::newRow("blanks around a number")
        << QByteArray("[Settings]\nInterval = 1 \n") << interval << QStringLiteral("1");
    QTest::newRow("tabs around the value")
        << QByteArray("[Settings]\nDraviksDir\t=\t/p/\t\n") << dir << QStringLiteral("/p/");
    QTest::newRow("quotes keep blanks") << QByteArray("[Settings]\nDraviksDir=\"/p/ \"\n") << dir
                                        << QStringLiteral("/p/ ");
    QTest::newRow("quotes keep blanks, blanks around them")
        << QByteArray("[Settings]\nDraviksDir =  \" /p/ \"  \n") << dir << QStringLiteral(" /p/ ");
    QTest::newRow("blank inside kept") << QByteArray("[Settings]\nDraviksDir= /a b/ \n") << dir
                                       << QStringLiteral("/a b/");
    QTest::newRow("at sign") << QByteArray("[Settings]\nDraviksDir=@ByteArray(/p/)\n") << dir
                             << QStringLiteral("@ByteArray(/p/)");
    QTest::newRow("quoted") << QByteArray("[Settings]\nDraviksDir=\"/p/\"\n") << dir << QStringLiteral("/p/");
    QTest::newRow("quoted, escapes unknown")
        << QByteArray("[Settings]\nDraviksDir=\"E:\\DRAVIKS\\\"\n") << dir << QStringLiteral("\"E:\\DRAVIKS\\\"");
    QTest::newRow("last line without a break")
        << QByteArray("[Settings]\nInterval=8") << interval << QStringLiteral("8");

    // As the earlier version wrote them.
    QTest::newRow("escaped backslashes") << QByteArray("[Settings]\nDraviksDir=E:\\\\DRAVIKS\\\\\n") << dir
                                         << QStringLiteral("E:\\DRAVIKS\\");
    QTest::newRow("escaped at sign") << QByteArray("[Settings]\nDraviksDir=@@x\n") << dir << QStringLiteral("@x");

    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf[Settings]\nDraviksDir=/p/\n") << dir
                                     << QStringLiteral("/p/");
    QTest::newRow("byte-order mark, CR LF")
        << QByteArray("\xef\xbb\xbf[Settings]\r\nInterval=7\r\n") << interval << QStringLiteral("7");

    QTest::newRow("lower-case names") << QByteArray("[settings]\ninterval=5\n") << interval << QStringLiteral("5");
    QTest::newRow("blanks around names") << QByteArray("  [ Settings ]  \n\tInterval =5\n") << interval
                                         << QStringLiteral("5");
    QTest::newRow("comments and blank lines")
        << QByteArray("; by hand\n# also a comment\n\n[Settings]\n; the interval\n\nInterval=7\n# end\n") << interval
        << QStringLiteral("7");
    QTest::newRow("later of two") << QByteArray("[Settings]\nInterval=3\ninterval=4\n") << interval
                                  << QStringLiteral("4");
    QTest::newRow("override appended") << QByteArray("[Settings]\nInterval=30\nDraviksDir=/p/\nInterval=1\n")
                                       << interval << QStringLiteral("1");
    QTest::newRow("section given twice") << QByteArray("[Settings]\nA=1\n[Other]\nInterval=2\n[settings]\nInterval=6\n")
                                         << interval << QStringLiteral("6");
    QTest::newRow("later section of the same name")
        << QByteArray("[Settings]\nInterval=3\n[Other]\nInterval=2\n[settings]\nInterval=6\n") << interval
        << QStringLiteral("6");
    QTest::newRow("key before any section")
        << QByteArray("Interval=9\n[Settings]\n") << interval << QStringLiteral("absent");

    // Line ends of other systems.
    QTest::newRow("CR alone") << QByteArray("[Settings]\rInterval=5\rDraviksDir=/p/\r") << dir << QStringLiteral("/p/");
    QTest::newRow("CR alone, last line") << QByteArray("[Settings]\rInterval=5") << interval << QStringLiteral("5");
    QTest::newRow("mixed line ends") << QByteArray("[Settings]\r\nInterval=5\rDraviksDir=/p/\n") << dir
                                     << QStringLiteral("/p/");
    QTest::newRow("DOS end-of-file mark")
        << QByteArray("[Settings]\r\nInterval=5\x1a") << interval << QStringLiteral("5");

    // A name that is not UTF-8 (a disc with Latin-1 names), as the bytes themselves or escaped.
    QTest::newRow("bytes that are not UTF-8") << QByteArray("[Settings]\nDraviksDir=/f\xeates/draviks/\n") << dir
                                              << FileName::fromBytes("/f\xeates/draviks/");
    QTest::newRow("bytes that are not UTF-8, escaped") << QByteArray("[Settings]\nDraviksDir=/f\\xdceates/draviks/\n")
                                                       << dir << FileName::fromBytes("/f\xeates/draviks/");
    QTest::newRow("bytes that are not UTF-8, quoted")
        << QByteArray("[Settings]\nDraviksDir=\"/f\\xdcea\\x61, \"\n") << dir
        << FileName::fromBytes("/f\xea"
                               "a, ");
    QTest::newRow("escapes in capitals") << QByteArray("[Settings]\nDraviksDir=\"/f\\xDCEA\\x4F\\x7e\"\n") << dir
                                         << FileName::fromBytes("/f\xeaO~");
}

void TestIniDocument::readsWhatOthersWrite()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniDocument document(contents);
    QVERIFY2(document.error().isEmpty(), qPrintable(document.error()));
    QCOMPARE(document.value(SettingNames::Section, key).value_or(QStringLiteral("absent")), expected);
}

void TestIniDocument::changesOnlyTheLineOfItsKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QString interval = SettingNames::Interval;
    const QString ten = QStringLiteral("10");
    QTest::newRow("empty file") << QByteArray() << interval << ten << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("lower-case names") << QByteArray("[settings]\ninterval=5\n") << interval << ten
                                      << QByteArray("[settings]\nInterval=10\n");
    QTest::newRow("indented key") << QByteArray("[Settings]\n  interval = 5\n") << interval << ten
                                  << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("comments and other sections")
        << QByteArray("; by hand\n[Other]\nColour = blue \n\n[Settings]\n# photos\nDraviksDir=/p/\n") << interval << ten
        << QByteArray("; by hand\n[Other]\nColour = blue \n\n[Settings]\n# photos\nDraviksDir=/p/\nInterval=10\n");
    QTest::newRow("after the section's last key")
        << QByteArray("[Settings]\nDraviksDir=/p/\n\n; next\n[Other]\nX=1\n") << interval << ten
        << QByteArray("[Settings]\nDraviksDir=/p/\nInterval=10\n\n; next\n[Other]\nX=1\n");
    QTest::newRow("section added") << QByteArray("[Other]\nX=1\n") << interval << ten
                                   << QByteArray("[Other]\nX=1\n\n[Settings]\nInterval=10\n");
    QTest::newRow("section added after a blank line")
        << QByteArray("[Other]\nX=1\n\n") << interval << ten << QByteArray("[Other]\nX=1\n\n[Settings]\nInterval=10\n");
    QTest::newRow("CR LF replaced") << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=5\r\n") << interval << ten
                                    << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=10\r\n");
    QTest::newRow("CR LF added") << QByteArray("[Other]\r\nX=1\r\n") << interval << ten
                                 << QByteArray("[Other]\r\nX=1\r\n\r\n[Settings]\r\nInterval=10\r\n");
    QTest::newRow("byte-order mark kept") << QByteArray("\xef\xbb\xbf[Settings]\nInterval=5\n") << interval << ten
                                          << QByteArray("\xef\xbb\xbf[Settings]\nInterval=10\n");
    QTest::newRow("byte-order mark kept, section added")
        << QByteArray("\xef\xbb\xbf; mine\r\n") << interval << ten
        << QByteArray("\xef\xbb\xbf; mine\r\n\r\n[Settings]\r\nInterval=10\r\n");
    QTest::newRow("CR alone replaced") << QByteArray("[Settings]\rInterval=5\rDraviksDir=/p/") << interval << ten
                                       << QByteArray("[Settings]\rInterval=10\rDraviksDir=/p/");
    QTest::newRow("CR alone added") << QByteArray("[Other]\rX=1\r") << interval << ten
                                    << QByteArray("[Other]\rX=1\r\r[Settings]\rInterval=10\r");
    QTest::newRow("end-of-file mark stays last") << QByteArray("[Settings]\r\nDraviksDir=/p/\x1a") << interval << ten
                                                 << QByteArray("[Settings]\r\nDraviksDir=/p/\r\nInterval=10\r\n\x1a");
    QTest::newRow("end-of-file marks alone")
        << QByteArray("\x1a\x1a") << interval << ten << QByteArray("[Settings]\nInterval=10\n\x1a\x1a");
    QTest::newRow("blanks around the equals sign")
        << QByteArray("[Settings]\nInterval = 5 \n") << interval << ten << QByteArray("[Settings]\nInterval=10\n");
    QTest::newRow("stray lines kept")
        << QByteArray("garbage first\n[Settings]\nInterval 5\n=x\n; caf\xe9\nInterval=5\n[broken\n\x01\n") << interval
        << ten << QByteArray("garbage first\n[Settings]\nInterval 5\n=x\n; caf\xe9\nInterval=10\n[broken\n\x01\n");
    QTest::newRow("bytes that are not UTF-8 kept")
        << QByteArray("[Other]\nName=caf\xe9\n[Settings]\nDraviksDir=/f\xeates/\nInterval=5\n") << interval << ten
        << QByteArray("[Other]\nName=caf\xe9\n[Settings]\nDraviksDir=/f\xeates/\nInterval=10\n");
    QTest::newRow("name that is not UTF-8 written escaped")
        << QByteArray("[Settings]\nDraviksDir=/p/\n") << SettingNames::DraviksDir
        << FileName::fromBytes("/f\xeates/\xe9"
                               "a/")
        << QByteArray("[Settings]\nDraviksDir=/f\\xdceates/\\xdce9\\x61/\n");
    QTest::newRow("last line without a break")
        << QByteArray("[Settings]\nInterval=5") << interval << ten << QByteArray("[Settings]\nInterval=10");
    QTest::newRow("added after a line without a break") << QByteArray("[Settings]\nDraviksDir=/p/") << interval << ten
                                                        << QByteArray("[Settings]\nDraviksDir=/p/\nInterval=10\n");
    QTest::newRow("later of two") << QByteArray("[Settings]\ninterval=5\nInterval=6\n") << interval << ten
                                  << QByteArray("[Settings]\ninterval=5\nInterval=10\n");
    QTest::newRow("later section of the same name")
        << QByteArray("[Settings]\nInterval=5\n[Other]\nX=1\n[settings]\nInterval=6\n") << interval << ten
        << QByteArray("[Settings]\nInterval=5\n[Other]\nX=1\n[settings]\nInterval=10\n");
    QTest::newRow("key before any section") << QByteArray("Interval=1\n[Settings]\n") << interval << ten
                                            << QByteArray("Interval=1\n[Settings]\nInterval=10\n");
    QTest::newRow("hand-written value kept")
        << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=5\nZoom=a, b\n") << interval << ten
        << QByteArray("[Settings]\nDraviksDir=E:\\DRAVIKS\\\nInterval=10\nZoom=a, b\n");
    QTest::newRow("value that needs quotes")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral(" ")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=\" \"\n");
    QTest::newRow("directory ending in a blank")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral("/media/My Car /")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=/media/My Car /\n");
    QTest::newRow("directory name ending in a blank")
        << QByteArray("[Settings]\nInterval=5\n") << SettingNames::DraviksDir << QStringLiteral("/media/draviks ")
        << QByteArray("[Settings]\nInterval=5\nDraviksDir=\"/media/draviks \"\n");
}

// Others edit the file by hand: a change touches its own key's line and nothing else.
void TestIniDocument::changesOnlyTheLineOfItsKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    IniDocument document(before);
    document.setValue(SettingNames::Section, key, value);
    QCOMPARE(document.contents(), after);
    QCOMPARE(IniDocument(document.contents()).value(SettingNames::Section, key), std::optional<QString>(value));
}

QTEST_APPLESS_MAIN(TestIniDocument)

#include "tst_ini_document.moc"

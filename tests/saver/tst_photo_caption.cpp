#include "platform/files/FileName.h"
#include "saver/PhotoCaption.h"

#include <QTest>

class TestPhotoCaption : public QObject
{
    Q_OBJECT

private slots:
    void caption_data();
    void caption();
};

void TestPhotoCaption::caption_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    const QString dir = QStringLiteral("/media/cdrom/DRAVIKS/");
    const auto row = [&](const char *name, const QString &file, const char *caption) {
        QTest::newRow(name) << dir + file << QString::fromUtf8(caption);
    };

    // The whole category table, blanks included.
    row("BC", QStringLiteral("BC001.JPG"), "Callaway C12 ");
    row("CL", QStringLiteral("CL001.JPG"), "Classic Draviks");
    row("CV", QStringLiteral("CV001.JPG"), "Custom Draviks");
    row("DP", QStringLiteral("DP001.JPG"), "Prototypes ");
    row("TC", QStringLiteral("TC001.JPG"), "Car Stuff Dravik Calendars ");
    row("TD", QStringLiteral("TD001.JPG"), "Danbury Mint Die-cast Model ");
    row("TF", QStringLiteral("TF001.JPG"), "Franklin Mint Die-cast Models ");
    row("VM", QStringLiteral("VM001.JPG"), "Dravik Metal Signs ");
    row("ZZ", QStringLiteral("ZZ001.JPG"), "Dravik Philately ");
    row("lower-case code is upper-cased first", QStringLiteral("cl001.jpg"), "Classic Draviks");
    row("category letters in another order", QStringLiteral("LC001.JPG"), "  200C Dravik   ");

    // Years: from "5" to "9" the 1900s with both digits, anything else the 2000s with the second.
    row("1950s", QStringLiteral("57A01.JPG"), "  1957 Dravik   ");
    row("1960s", QStringLiteral("67A.JPG"), "  1967 Dravik   ");
    row("1990s", QStringLiteral("99Z01.JPG"), "  1999 Dravik   ");
    row("2002", QStringLiteral("02B.JPG"), "  2002 Dravik   ");
    row("14 gives 4", QStringLiteral("14A.JPG"), "  2004 Dravik   ");
    row("41 gives 1", QStringLiteral("41A.JPG"), "  2001 Dravik   ");
    row("letters AB give B", QStringLiteral("AB001.JPG"), "  200B Dravik   ");
    row("9 followed by a letter", QStringLiteral("9x.jpg"), "  199X Dravik   ");
    row("':' sorts just after '9'", QStringLiteral(":1.jpg"), "  2001 Dravik   ");
    row("'4' sorts just before '5'", QStringLiteral("4Q.jpg"), "  200Q Dravik   ");
    row("one character left", QStringLiteral("7"), "  197 Dravik   ");
    row("nothing after the separator", QString(), "  200 Dravik   ");

    QTest::newRow("marker in any case") << QStringLiteral("/cd/DrAvIkS/CV1.jpg") << QStringLiteral("Custom Draviks");
    QTest::newRow("first marker counts") << QStringLiteral("/draviks/draviks/CL1.jpg")
                                         << QStringLiteral("  200R Dravik   ");
    QTest::newRow("marker inside a longer name")
        << QStringLiteral("/cd/mydraviks/ZZ1.jpg") << QStringLiteral("Dravik Philately ");

    // No "draviks": positions 8 and 9 of the whole path.
    QTest::newRow("no marker, category") << QStringLiteral("/photo/CL1.jpg") << QStringLiteral("Classic Draviks");
    QTest::newRow("no marker, year") << QStringLiteral("/photo/71.jpg") << QStringLiteral("  1971 Dravik   ");
    QTest::newRow("no marker, separator at 8")
        << QStringLiteral("/photos/67A.jpg") << QStringLiteral("  2006 Dravik   ");
    QTest::newRow("no marker, short path") << QStringLiteral("/a.jpg") << QStringLiteral("  200 Dravik   ");
    QTest::newRow("empty path") << QString() << QStringLiteral("  200 Dravik   ");
    QTest::newRow("default photo directory") << QStringLiteral(" ") << QStringLiteral("  200 Dravik   ");

    // Case mapping never moves a character: "ß" upper-cases to "SS" and "İ" lower-cases to
    // two code units in full case mapping, which would shift the code.
    QTest::newRow("sharp s before the marker")
        << QStringLiteral("/stra\u00dfe/draviks/cl1.jpg") << QStringLiteral("Classic Draviks");
    QTest::newRow("dotted capital I before the marker")
        << QStringLiteral("/\u0130\u0130/draviks/tc1.jpg") << QStringLiteral("Car Stuff Dravik Calendars ");
    QTest::newRow("supplementary characters before the marker")
        << QStringLiteral("/\U00010400\U00010428/draviks/zz1.jpg") << QStringLiteral("Dravik Philately ");
    // A supplementary character is one character in two code units: upper-cased as a pair,
    // and what follows it mapped too.
    QTest::newRow("supplementary letter as the code")
        << QStringLiteral("/cd/draviks/\U000104287.jpg")
        << QStringLiteral("  200") + QChar(0xdc00) + QStringLiteral(" Dravik   ");
    QTest::newRow("supplementary letter just before the marker")
        << QStringLiteral("/x\U00010400DRAVIKS/CL1.JPG") << QStringLiteral("Classic Draviks");
    QTest::newRow("ligature in the code")
        << QStringLiteral("/cd/draviks/\ufb01x.jpg") << QStringLiteral("  200X Dravik   ");
    // Names that are not UTF-8, in their lossless text form: each stray byte is one U+FFFD
    // in the caption, in the byte's own position.
    const auto named = [&](const char *name, const QByteArray &bytes, const char *caption) {
        QTest::newRow(name) << dir + FileName::fromBytes(bytes) << QString::fromUtf8(caption);
    };
    named("Latin-1 byte after a year", "67\xe9.JPG", "  1967 Dravik   ");
    named("Latin-1 byte as the code's second character", "A\xe9.JPG", "  200\xef\xbf\xbd Dravik   ");
    named("Latin-1 byte before the code",
          "\xe9"
          "5.JPG",
          "  2005 Dravik   ");
    named("two stray bytes as the code", "\xc3\xc3.JPG", "  200\xef\xbf\xbd Dravik   ");
    QTest::newRow("Latin-1 byte before the marker")
        << FileName::fromBytes("/f\xeates/draviks/cl1.jpg") << QStringLiteral("Classic Draviks");
    QTest::newRow("sharp s without a marker")
        << QStringLiteral("/\u00df\u00df\u00df\u00df\u00df/BC.jpg") << QStringLiteral("Callaway C12 ");
}

void TestPhotoCaption::caption()
{
    QFETCH(QString, path);
    QTEST(CaptionFromPath(path), "expected");
}

QTEST_APPLESS_MAIN(TestPhotoCaption)
#include "tst_photo_caption.moc"

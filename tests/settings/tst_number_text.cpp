#include "settings/NumberText.h"

#include <QLocale>
#include <QTest>

#include <clocale>
#include <limits>

class NumberTextTest : public QObject
{
    Q_OBJECT

private slots:
    void writesNumbers_data();
    void writesNumbers();
    void readsBackExactly_data();
    void readsBackExactly();
    void ignoresTheLocale();
};

void NumberTextTest::writesNumbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one") << 1.0 << QStringLiteral("1");
    QTest::newRow("sixty") << 60.0 << QStringLiteral("60");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("negative") << -5.0 << QStringLiteral("-5");
    QTest::newRow("interval in seconds") << 15000 / 1000.0 << QStringLiteral("15");
    QTest::newRow("half") << 1.5 << QStringLiteral("1.5");
    QTest::newRow("quarter") << 0.25 << QStringLiteral("0.25");
    QTest::newRow("tenth") << 0.1 << QStringLiteral("0.1");
    QTest::newRow("sum with rounding error") << 0.1 + 0.2 << QStringLiteral("0.30000000000000004");
    QTest::newRow("third") << 1.0 / 3.0 << QStringLiteral("0.3333333333333333");
    QTest::newRow("negative fraction") << -2.75 << QStringLiteral("-2.75");
    QTest::newRow("smallest plain") << 1e-4 << QStringLiteral("0.0001");
    QTest::newRow("small") << 0.000123 << QStringLiteral("0.000123");
    QTest::newRow("large whole") << 123456789012345.0 << QStringLiteral("123456789012345");
    QTest::newRow("large with fraction") << 99999999999999.5 << QStringLiteral("99999999999999.5");
    QTest::newRow("hundred million") << 1e8 << QStringLiteral("100000000");
    QTest::newRow("first with exponent") << 1e15 << QStringLiteral("1e+15");
    QTest::newRow("tiny") << 1e-5 << QStringLiteral("1e-05");
}

void NumberTextTest::writesNumbers()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberText(value), expected);
}

void NumberTextTest::readsBackExactly_data()
{
    QTest::addColumn<double>("value");

    QTest::newRow("pi") << 3.141592653589793;
    QTest::newRow("tiny step above one") << 1.0 + std::numeric_limits<double>::epsilon();
    QTest::newRow("smallest normal") << std::numeric_limits<double>::min();
    QTest::newRow("largest") << std::numeric_limits<double>::max();
    QTest::newRow("odd fraction") << 1234.5678e-3;
}

void NumberTextTest::readsBackExactly()
{
    QFETCH(double, value);
    bool ok = false;
    QCOMPARE(NumberText(value).toDouble(&ok), value);
    QVERIFY(ok);
}

void NumberTextTest::ignoresTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Only takes effect where the locale is installed; the Qt default above applies everywhere.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QCOMPARE(NumberText(1234.5), QStringLiteral("1234.5"));
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

QTEST_APPLESS_MAIN(NumberTextTest)

#include "tst_number_text.moc"

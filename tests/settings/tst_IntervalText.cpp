#include "platform/RuntimeError.h"
#include "settings/Interval.h"

#include <QLocale>
#include <QTest>

class IntervalTextTest : public QObject
{
    Q_OBJECT

private slots:
    void convertsNumbers_data();
    void convertsNumbers();
    void rejectsText_data();
    void rejectsText();
    void ignoresTheLocale();
};

void IntervalTextTest::convertsNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("plain") << QStringLiteral("5") << 5;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("leading zeros") << QStringLiteral("0060") << 60;
    QTest::newRow("many leading zeros") << QStringLiteral("000000000000000000000000000000007") << 7;
    QTest::newRow("plus") << QStringLiteral("+5") << 5;
    QTest::newRow("minus") << QStringLiteral("-5") << -5;
    QTest::newRow("minus zero") << QStringLiteral("-0") << 0;
    QTest::newRow("blanks around") << QStringLiteral("  5  ") << 5;
    QTest::newRow("tabs around") << QStringLiteral("\t-12\t ") << -12;
    QTest::newRow("trailing point") << QStringLiteral("5.") << 5;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0;
    QTest::newRow("signed leading point") << QStringLiteral("-.6") << -1;
    QTest::newRow("below half") << QStringLiteral("2.49999") << 2;
    QTest::newRow("above half") << QStringLiteral("2.51") << 3;
    QTest::newRow("half to even, down") << QStringLiteral("2.5") << 2;
    QTest::newRow("half to even, up") << QStringLiteral("3.5") << 4;
    QTest::newRow("half to even, zero") << QStringLiteral("0.5") << 0;
    QTest::newRow("half to even, one") << QStringLiteral("1.5") << 2;
    QTest::newRow("negative half, down") << QStringLiteral("-2.5") << -2;
    QTest::newRow("negative half, up") << QStringLiteral("-3.5") << -4;
    QTest::newRow("half with trailing zeros") << QStringLiteral("2.50000") << 2;
    QTest::newRow("just above half") << QStringLiteral("2.50000000000000000001") << 3;
    QTest::newRow("just below half") << QStringLiteral("3.49999999999999999999") << 3;
    QTest::newRow("largest") << QStringLiteral("2147483647") << 2147483647;
    QTest::newRow("smallest") << QStringLiteral("-2147483648") << (-2147483647 - 1);
    QTest::newRow("rounds to largest") << QStringLiteral("2147483646.5") << 2147483646;
    QTest::newRow("rounds to smallest") << QStringLiteral("-2147483648.4") << (-2147483647 - 1);
}

void IntervalTextTest::convertsNumbers()
{
    QFETCH(QString, text);
    QFETCH(qint32, expected);
    QCOMPARE(IntervalFromText(text), expected);
}

void IntervalTextTest::rejectsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");

    const int typeMismatch = RuntimeError::TypeMismatch;
    const int overflow = RuntimeError::Overflow;
    QTest::newRow("empty") << QString() << typeMismatch;
    QTest::newRow("blanks only") << QStringLiteral(" \t ") << typeMismatch;
    QTest::newRow("letters") << QStringLiteral("five") << typeMismatch;
    QTest::newRow("trailing letter") << QStringLiteral("5s") << typeMismatch;
    QTest::newRow("inner blank") << QStringLiteral("5 5") << typeMismatch;
    QTest::newRow("blank after sign") << QStringLiteral("- 5") << typeMismatch;
    QTest::newRow("exponent") << QStringLiteral("1e3") << typeMismatch;
    QTest::newRow("hexadecimal") << QStringLiteral("0x10") << typeMismatch;
    QTest::newRow("double sign") << QStringLiteral("--5") << typeMismatch;
    QTest::newRow("sign only") << QStringLiteral("+") << typeMismatch;
    QTest::newRow("point only") << QStringLiteral(".") << typeMismatch;
    QTest::newRow("decimal comma") << QStringLiteral("5,0") << typeMismatch;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << typeMismatch;
    QTest::newRow("non-ASCII digit") << QStringLiteral("\u0665") << typeMismatch;
    QTest::newRow("line break") << QStringLiteral("5\n") << typeMismatch;
    QTest::newRow("one above largest") << QStringLiteral("2147483648") << overflow;
    QTest::newRow("one below smallest") << QStringLiteral("-2147483649") << overflow;
    QTest::newRow("rounds above largest") << QStringLiteral("2147483647.5") << overflow;
    QTest::newRow("rounds below smallest") << QStringLiteral("-2147483648.6") << overflow;
    QTest::newRow("forty digits") << QStringLiteral("1234567890123456789012345678901234567890") << overflow;
    QTest::newRow("forty digits, negative") << QStringLiteral("-9999999999999999999999999999999999999999") << overflow;
}

void IntervalTextTest::rejectsText()
{
    QFETCH(QString, text);
    QFETCH(int, error);
    try {
        const qint32 value = IntervalFromText(text);
        QFAIL(qPrintable(QStringLiteral("accepted as %1").arg(value)));
    } catch (const RuntimeError &e) {
        QCOMPARE(int(e.number()), error);
        QCOMPARE(e.source(), QStringLiteral("Interval"));
        QVERIFY2(e.detail().contains(text), qPrintable(e.detail()));
    }
}

void IntervalTextTest::ignoresTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(IntervalFromText(QStringLiteral("3.5")), 4);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, IntervalFromText(QStringLiteral("3,5")));
    QLocale::setDefault(QLocale::c());
}

QTEST_APPLESS_MAIN(IntervalTextTest)

#include "tst_IntervalText.moc"

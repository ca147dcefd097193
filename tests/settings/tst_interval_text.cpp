#include "platform/runtime/RuntimeError.h"
#include "settings/NumberText.h"

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

    QTest::newRow("exponent") << QStringLiteral("1e1") << 10;
    QTest::newRow("exponent, capital E") << QStringLiteral("2.5E1") << 25;
    QTest::newRow("exponent, plus") << QStringLiteral("1e+2") << 100;
    QTest::newRow("exponent zero") << QStringLiteral("7e0") << 7;
    QTest::newRow("exponent, blanks around") << QStringLiteral(" \t1e1 ") << 10;
    QTest::newRow("exponent after leading point") << QStringLiteral(".5e1") << 5;
    QTest::newRow("exponent after trailing point") << QStringLiteral("5.e1") << 50;
    QTest::newRow("exponent with leading zeros") << QStringLiteral("1e0000000000000000000003") << 1000;
    QTest::newRow("negative exponent, half to even, down") << QStringLiteral("25e-1") << 2;
    QTest::newRow("negative exponent, half to even, up") << QStringLiteral("35e-1") << 4;
    QTest::newRow("negative exponent, half to even, zero") << QStringLiteral("5e-1") << 0;
    QTest::newRow("negative exponent, negative half") << QStringLiteral("-25e-1") << -2;
    QTest::newRow("negative exponent, below one tenth") << QStringLiteral("9e-2") << 0;
    QTest::newRow("negative exponent, just above half") << QStringLiteral("2500000000000000000001e-21") << 3;
    QTest::newRow("negative exponent, half with trailing zeros") << QStringLiteral("2500e-3") << 2;
    QTest::newRow("negative exponent over many digits") << QStringLiteral("100000000000000000000e-20") << 1;
    QTest::newRow("exponent lifts a small fraction") << QStringLiteral("0.00000000000000000001e20") << 1;
    QTest::newRow("exponent, largest") << QStringLiteral("2.147483647e9") << 2147483647;
    QTest::newRow("exponent, smallest") << QStringLiteral("-2.147483648E9") << (-2147483647 - 1);
    QTest::newRow("exponent, ten digits") << QStringLiteral("1e9") << 1000000000;
    QTest::newRow("exponent, rounds to largest") << QStringLiteral("21474836465e-1") << 2147483646;
    QTest::newRow("zero, huge exponent") << QStringLiteral("0e999999999") << 0;
    QTest::newRow("zeros, huge exponent") << QStringLiteral("-000.000e99999999999999999999") << 0;
    QTest::newRow("huge negative exponent") << QStringLiteral("1e-999999") << 0;
    QTest::newRow("huger negative exponent") << QStringLiteral("-1e-99999999999999999999") << 0;

    QTest::newRow("hex") << QStringLiteral("&H10") << 16;
    QTest::newRow("hex, small letters") << QStringLiteral("&h1f") << 31;
    QTest::newRow("hex, capital letters") << QStringLiteral("&H1F") << 31;
    QTest::newRow("hex, mixed letters") << QStringLiteral("&haBc") << 2748;
    QTest::newRow("hex, E is a digit") << QStringLiteral("&H1E1") << 481;
    QTest::newRow("hex, blanks around") << QStringLiteral("\t &H10  ") << 16;
    QTest::newRow("hex zero") << QStringLiteral("&H0") << 0;
    QTest::newRow("hex, largest 16-bit positive") << QStringLiteral("&H7FFF") << 32767;
    QTest::newRow("hex, leading zeros") << QStringLiteral("&H0000000000000000007FFF") << 32767;
    QTest::newRow("hex, smallest beyond 16 bits") << QStringLiteral("&H10000") << 65536;
    QTest::newRow("hex, largest") << QStringLiteral("&H7FFFFFFF") << 2147483647;
    QTest::newRow("octal") << QStringLiteral("&O20") << 16;
    QTest::newRow("octal, small letter") << QStringLiteral("&o20") << 16;
    QTest::newRow("octal without letter") << QStringLiteral("&20") << 16;
    QTest::newRow("octal zero without letter") << QStringLiteral("&0") << 0;
    QTest::newRow("octal, largest 16-bit positive") << QStringLiteral("&O77777") << 32767;
    QTest::newRow("octal, smallest beyond 16 bits") << QStringLiteral("&O200000") << 65536;
    QTest::newRow("octal, largest") << QStringLiteral("&O17777777777") << 2147483647;
    QTest::newRow("octal without letter, largest") << QStringLiteral("&17777777777") << 2147483647;
}

void IntervalTextTest::convertsNumbers()
{
    QFETCH(QString, text);
    QFETCH(qint32, expected);
    try {
        QCOMPARE(IntervalFromText(text), expected);
    } catch (const RuntimeError &e) {
        QFAIL(qPrintable(e.message()));
    }
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

    QTest::newRow("exponent without digits") << QStringLiteral("1e") << typeMismatch;
    QTest::newRow("exponent sign without digits") << QStringLiteral("1e+") << typeMismatch;
    QTest::newRow("exponent without number") << QStringLiteral("e1") << typeMismatch;
    QTest::newRow("exponent after point only") << QStringLiteral(".e1") << typeMismatch;
    QTest::newRow("fractional exponent") << QStringLiteral("1e1.5") << typeMismatch;
    QTest::newRow("two exponents") << QStringLiteral("1e1e1") << typeMismatch;
    QTest::newRow("blank before exponent") << QStringLiteral("1 e1") << typeMismatch;
    QTest::newRow("blank in exponent") << QStringLiteral("1e 1") << typeMismatch;
    QTest::newRow("exponent letter D") << QStringLiteral("1d1") << typeMismatch;
    QTest::newRow("exponent, letters after") << QStringLiteral("1e1x") << typeMismatch;
    QTest::newRow("exponent, above largest") << QStringLiteral("2.147483648e9") << overflow;
    QTest::newRow("exponent, below smallest") << QStringLiteral("-2.147483649e9") << overflow;
    QTest::newRow("exponent, rounds above largest") << QStringLiteral("21474836475e-1") << overflow;
    QTest::newRow("exponent, eleven digits") << QStringLiteral("1e10") << overflow;
    QTest::newRow("exponent, fraction to eleven digits") << QStringLiteral("0.1e11") << overflow;
    QTest::newRow("huge exponent") << QStringLiteral("1e999999999") << overflow;
    QTest::newRow("huge exponent, negative") << QStringLiteral("-1e999999999") << overflow;
    QTest::newRow("huger exponent") << QStringLiteral("1e99999999999999999999") << overflow;
    QTest::newRow("huge exponent, then letters") << QStringLiteral("1e999999999x") << typeMismatch;

    QTest::newRow("ampersand only") << QStringLiteral("&") << typeMismatch;
    QTest::newRow("hex without digits") << QStringLiteral("&H") << typeMismatch;
    QTest::newRow("octal without digits") << QStringLiteral("&O") << typeMismatch;
    QTest::newRow("hex, not a digit") << QStringLiteral("&H1G") << typeMismatch;
    QTest::newRow("octal, not a digit") << QStringLiteral("&O8") << typeMismatch;
    QTest::newRow("octal without letter, not a digit") << QStringLiteral("&19") << typeMismatch;
    QTest::newRow("hex, blank inside") << QStringLiteral("&H 10") << typeMismatch;
    QTest::newRow("blank after ampersand") << QStringLiteral("& H10") << typeMismatch;
    QTest::newRow("hex, minus before") << QStringLiteral("-&H10") << typeMismatch;
    QTest::newRow("hex, plus before") << QStringLiteral("+&H10") << typeMismatch;
    QTest::newRow("hex, sign after prefix") << QStringLiteral("&H-1") << typeMismatch;
    QTest::newRow("hex, point") << QStringLiteral("&H1.8") << typeMismatch;
    QTest::newRow("hex, type suffix") << QStringLiteral("&H10&") << typeMismatch;
    QTest::newRow("binary") << QStringLiteral("&B101") << typeMismatch;
    QTest::newRow("hex, full-width digit") << QStringLiteral("&H\uFF11") << typeMismatch;
    QTest::newRow("hex, many digits then a letter") << QStringLiteral("&HFFFFFFFFFFFFFFFFFFFFZ") << typeMismatch;
    QTest::newRow("hex, 16-bit sign bit") << QStringLiteral("&H8000") << overflow;
    QTest::newRow("hex, 16-bit minus one") << QStringLiteral("&HFFFF") << overflow;
    QTest::newRow("hex, 16-bit minus one with leading zeros") << QStringLiteral("&H0000FFFF") << overflow;
    QTest::newRow("hex, 32-bit sign bit") << QStringLiteral("&H80000000") << overflow;
    QTest::newRow("hex, 32-bit minus one") << QStringLiteral("&HFFFFFFFF") << overflow;
    QTest::newRow("hex, beyond 32 bits") << QStringLiteral("&H100000000") << overflow;
    QTest::newRow("hex, forty digits") << QStringLiteral("&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF") << overflow;
    QTest::newRow("octal, 16-bit sign bit") << QStringLiteral("&O100000") << overflow;
    QTest::newRow("octal, 16-bit minus one") << QStringLiteral("&O177777") << overflow;
    QTest::newRow("octal, 32-bit sign bit") << QStringLiteral("&O20000000000") << overflow;
    QTest::newRow("octal, 32-bit minus one") << QStringLiteral("&O37777777777") << overflow;
    QTest::newRow("octal, beyond 32 bits") << QStringLiteral("&O40000000000") << overflow;
    QTest::newRow("octal without letter, 16-bit sign bit") << QStringLiteral("&100000") << overflow;
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

#include "tst_interval_text.moc"

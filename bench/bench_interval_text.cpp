// Time to read stored interval texts with extreme exponents and long digit runs: each is
// decided on its digits, so none costs more than reading the text once.
//
//   bench_interval_text [QtTest options, e.g. -iterations 1000]

#include "platform/runtime/RuntimeError.h"
#include "settings/NumberText.h"

#include <QTest>

class BenchIntervalText : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

void BenchIntervalText::read_data()
{
    QTest::addColumn<QString>("text");

    const QString manyDigits(100000, u'9');
    QTest::newRow("plain") << QStringLiteral("5");
    QTest::newRow("huge exponent") << QStringLiteral("1e999999999");
    QTest::newRow("huge negative exponent") << QStringLiteral("1e-999999");
    QTest::newRow("exponent of twenty digits") << QStringLiteral("1e99999999999999999999");
    QTest::newRow("100000 digits, small exponent") << QStringLiteral("0.%1e5").arg(manyDigits);
    QTest::newRow("100000 digits, huge exponent") << QStringLiteral("%1e-999999999").arg(manyDigits);
    QTest::newRow("100000 hexadecimal zeros") << QStringLiteral("&H%1F").arg(QString(100000, u'0'));
}

void BenchIntervalText::read()
{
    QFETCH(QString, text);
    QBENCHMARK
    {
        try {
            IntervalFromText(text);
        } catch (const RuntimeError &) {
            // Overflow is one of the outcomes measured.
        }
    }
}

QTEST_APPLESS_MAIN(BenchIntervalText)

#include "bench_interval_text.moc"

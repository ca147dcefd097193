#include "saver_cycle/ResultTable.h"

#include <QTest>

// The closing table: every column starts where its heading does, however long a cell is.
class TestResultTable : public QObject
{
    Q_OBJECT

private slots:
    void columnsLineUp();
};

void TestResultTable::columnsLineUp()
{
    ResultTable table;
    table.addRow(QStringLiteral("CPU per displayed photo"), QStringLiteral("117.5 ms = 1.34 x floor"),
                 QStringLiteral("<= 0.85 x floor"), QStringLiteral("no"));
    table.addRow(QStringLiteral("peak"), QStringLiteral("42.9 MB"), QStringLiteral("<= 43 MB"), QStringLiteral("yes"));
    QCOMPARE(table.toText(),
             QStringLiteral("figure                   measured                 target           met\n"
                            "CPU per displayed photo  117.5 ms = 1.34 x floor  <= 0.85 x floor  no\n"
                            "peak                     42.9 MB                  <= 43 MB         yes\n"));
}

QTEST_GUILESS_MAIN(TestResultTable)
#include "tst_result_table.moc"

#include "saver/DismissalRules.h"

#include <QTest>

class TestDismissalRules : public QObject
{
    Q_OBJECT

private slots:
    void threeMovesAbsorbedFourthEnds();
    void countersAreIndependent();
    void movesWithoutMovementDoNotCount();
};

void TestDismissalRules::threeMovesAbsorbedFourthEnds()
{
    qint16 count = 0;
    QVERIFY(!MoveEndsProgram(count));
    QCOMPARE(count, qint16(1));
    QVERIFY(!MoveEndsProgram(count));
    QVERIFY(!MoveEndsProgram(count));
    QCOMPARE(count, qint16(3));
    QVERIFY(MoveEndsProgram(count));
    QCOMPARE(count, qint16(3)); // never beyond 3
    QVERIFY(MoveEndsProgram(count));
}

void TestDismissalRules::countersAreIndependent()
{
    qint16 form = 0;
    qint16 image = 0;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!MoveEndsProgram(form));
        QVERIFY(!MoveEndsProgram(image));
    }
    QCOMPARE(form, qint16(3));
    QCOMPARE(image, qint16(3));
    qint16 fresh = 0;
    QVERIFY(!MoveEndsProgram(fresh));
    QVERIFY(MoveEndsProgram(image));
}

void TestDismissalRules::movesWithoutMovementDoNotCount()
{
    PointerMotion motion;
    QVERIFY(!motion.isMove(QPointF(10, 10))); // nothing seen yet: where it rests
    QVERIFY(!motion.isMove(QPointF(10, 10)));
    QVERIFY(motion.isMove(QPointF(11, 10)));
    QVERIFY(motion.isMove(QPointF(10, 10))); // back where it was: that is movement

    PointerMotion appeared;
    appeared.setRestingPosition(QPointF(400, 300));
    QVERIFY(!appeared.isMove(QPointF(400, 300)));
    QVERIFY(!appeared.isMove(QPointF(400, 300)));
    QVERIFY(appeared.isMove(QPointF(400, 301)));
}

QTEST_APPLESS_MAIN(TestDismissalRules)
#include "tst_dismissal_rules.moc"

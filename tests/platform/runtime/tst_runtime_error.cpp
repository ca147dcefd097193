#include "platform/runtime/RuntimeError.h"

#include <QtTest>

// The run-time errors the program reports.
class TestRuntimeError : public QObject
{
    Q_OBJECT

private slots:
    void runtimeErrorNamesErrorAndSource();
};

void TestRuntimeError::runtimeErrorNamesErrorAndSource()
{
    const RuntimeError error(RuntimeError::TypeMismatch, QStringLiteral("GetSetting(\"Interval\")"),
                             QStringLiteral("\"abc\" is not a number"));
    QVERIFY(error.message().contains(QStringLiteral("Type mismatch")));
    QVERIFY(error.message().contains(QStringLiteral("GetSetting(\"Interval\")")));
    QVERIFY(error.message().contains(QStringLiteral("\"abc\" is not a number")));
    QCOMPARE(QString::fromUtf8(error.what()), error.message());
    QCOMPARE(RuntimeError::descriptionOf(RuntimeError::Overflow), QStringLiteral("Overflow"));
    QCOMPARE(RuntimeError::descriptionOf(RuntimeError::InvalidPropertyValue), QStringLiteral("Invalid property value"));
}

QTEST_MAIN(TestRuntimeError)
#include "tst_runtime_error.moc"

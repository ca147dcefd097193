#pragma once

#include <QList>
#include <QString>

// The bench's closing table: one row per figure, with what was measured, its target and
// whether the target was met, in columns as wide as their widest cell.
class ResultTable
{
public:
    void addRow(const QString &figure, const QString &measured, const QString &target, const QString &met);
    QString toText() const;

private:
    QList<QList<QString>> m_rows{
        {QStringLiteral("figure"), QStringLiteral("measured"), QStringLiteral("target"), QStringLiteral("met")}};
};

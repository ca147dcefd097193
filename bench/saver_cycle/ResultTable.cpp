#include "saver_cycle/ResultTable.h"

#include <algorithm>

void ResultTable::addRow(const QString &figure, const QString &measured, const QString &target, const QString &met)
{
    m_rows.append({figure, measured, target, met});
}

QString ResultTable::toText() const
{
    QList<qsizetype> widths(m_rows.constFirst().size(), 0);
    for (const QList<QString> &row : m_rows) {
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row.at(column).size());
    }
    QString text;
    for (const QList<QString> &row : m_rows) {
        QString line;
        for (qsizetype column = 0; column < row.size(); ++column) {
            if (column > 0)
                line += QStringLiteral("  ");
            line += row.at(column).leftJustified(widths[column]);
        }
        text += line.trimmed() + u'\n';
    }
    return text;
}

#include "CloseHandlers.h"

bool ClosedThroughCloseHandlers(const QString &log)
{
    const qsizetype queryUnload = log.indexOf(QStringLiteral("Form_QueryUnload"));
    const qsizetype firstRestore = log.indexOf(QStringLiteral("RestoreCursor: display count 1"));
    const qsizetype unload = log.indexOf(QStringLiteral("Form_Unload"));
    const qsizetype secondRestore = log.indexOf(QStringLiteral("RestoreCursor: display count 2"));
    return queryUnload >= 0 && queryUnload < firstRestore && firstRestore < unload && unload < secondRestore
        && !log.contains(QStringLiteral("EndProgram"));
}

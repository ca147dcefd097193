#include "platform/ShowCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

int displayCount = 0;

void applyVisibility(bool wasHidden, bool isHidden)
{
    if (wasHidden == isHidden || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (isHidden)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

int ShowCursor(int show)
{
    const bool wasHidden = displayCount < 0;
    displayCount += show != 0 ? 1 : -1;
    applyVisibility(wasHidden, displayCount < 0);
    return displayCount;
}

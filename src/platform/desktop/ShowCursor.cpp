#include "platform/desktop/ShowCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace {

int displayCount = 0;

// Qt's Wayland platform (6.4) takes Qt::BlankCursor to the compositor only once it has shown
// another cursor there: a saver that hides the pointer from the start never says so, and the
// compositor goes on drawing its own arrow. There the pointer is an image with nothing in it.
QCursor blankCursor()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return QCursor(Qt::BlankCursor);
    QPixmap nothing(16, 16);
    nothing.fill(Qt::transparent);
    return QCursor(nothing, 0, 0);
}

void applyVisibility(bool wasHidden, bool isHidden)
{
    if (wasHidden == isHidden || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (isHidden)
        QGuiApplication::setOverrideCursor(blankCursor());
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

ShownPointer::ShownPointer()
{
    if (displayCount >= 0 || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    m_overridden = true;
}

ShownPointer::~ShownPointer()
{
    // The override cursors are a stack: this pops the arrow, or, if the count rose to shown
    // meanwhile and popped the arrow, the blank one beneath it. Either way the pointer then
    // follows the count again.
    if (m_overridden)
        QGuiApplication::restoreOverrideCursor();
}

#include "saver/FullScreenPresentation.h"

#include "platform/desktop/MessageBox.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/ShowCursor.h"
#include "platform/runtime/App.h"
#include "saver/ScreenCovers.h"

#include <QScopeGuard>
#include <QWidget>

void FullScreenPresentation::attach(QWidget &window, std::function<SaverStack()>)
{
    m_window = &window;
    m_covers = new ScreenCovers(this);
    m_screenChanges = new ScreenChanges(this);

    // The other screens are part of the window's surface.
    connect(m_covers, &ScreenCovers::KeyDown, this, &Presentation::surfaceKeyDown);
    connect(m_covers, &ScreenCovers::MouseDown, this, &Presentation::surfaceMouseDown);
    connect(m_covers, &ScreenCovers::MouseMove, this, &Presentation::surfaceMouseMove);
    connect(m_screenChanges, &ScreenChanges::primaryChanged, this, &FullScreenPresentation::followPrimaryScreen);
}

void FullScreenPresentation::place()
{
    // Over the whole primary screen, panels and task bars included, as a saver must be.
    Screen().coverWith(*m_window);
}

ScreenTwips FullScreenPresentation::screenTwips() const
{
    return PrimaryScreenTwips();
}

void FullScreenPresentation::setVisible(bool visible)
{
    m_window->QWidget::setVisible(visible);
}

void FullScreenPresentation::shown()
{
    if (!m_shownBefore) {
        m_shownBefore = true;
        // As the desktop does when it starts a saver; every way out shows the pointer again.
        const int count = ShowCursor(0);
        qCDebug(lcLifecycle) << "Form1 shown: display count" << count;
        emit inputTaken();
        m_covers->show();
    }
    m_window->raise();
    m_window->activateWindow();
    m_window->setFocus(Qt::ActiveWindowFocusReason);
}

void FullScreenPresentation::closed()
{
    m_covers->close();
}

void FullScreenPresentation::handleInput(const std::function<void()> &handler) const
{
    handler();
}

void FullScreenPresentation::showFailure(const QString &title, const QString &text)
{
    // The message box runs its own event loop, in which ticks go on.
    m_failureMessageOpen = true;
    const auto closed = qScopeGuard([this] { m_failureMessageOpen = false; });
    MsgBox(text, title, m_window);
}

void FullScreenPresentation::followPrimaryScreen()
{
    // The screen the stack was laid out for is no longer the primary, or gone: the saver moves
    // to the new primary and is laid out for it once, as the load would have, so it stays whole.
    qCDebug(lcLifecycle) << "Form1 follows the primary screen";
    emit resized();
}

#include "platform/desktop/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr float kDefaultTwipsPerPixel = 15.0f;

QScreen *primaryScreen()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

} // namespace

Screen::Screen() : m_screen(primaryScreen()) {}

Screen::Screen(QScreen *screen) : m_screen(screen) {}

Screen Screen::of(const QWidget &widget)
{
    return Screen(widget.screen());
}

QList<Screen> Screen::all()
{
    QList<Screen> screens;
    if (!primaryScreen())
        return screens;
    screens.append(Screen());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(Screen(screen));
    }
    return screens;
}

bool Screen::isPrimary() const
{
    return m_screen && m_screen == primaryScreen();
}

void Screen::coverWith(QWidget &window) const
{
    if (!m_screen)
        return;
    // A window already full screen elsewhere must leave that state to move.
    window.setWindowState(window.windowState() & ~Qt::WindowFullScreen);
    window.setScreen(m_screen);
    window.setGeometry(m_screen->geometry());
    window.setWindowState(Qt::WindowFullScreen);
}

bool operator==(const Screen &left, const Screen &right)
{
    return left.m_screen == right.m_screen;
}

QRect Screen::geometry() const
{
    return m_screen ? m_screen->geometry() : QRect();
}

qreal Screen::devicePixelRatio() const
{
    return m_screen ? m_screen->devicePixelRatio() : 1.0;
}

float Screen::twipsPerPixel() const
{
    if (!m_screen || m_screen->logicalDotsPerInchX() <= 0)
        return kDefaultTwipsPerPixel;
    return static_cast<float>(kTwipsPerInch / m_screen->logicalDotsPerInchX());
}

float Screen::widthTwips() const
{
    return static_cast<float>(geometry().width()) * twipsPerPixel();
}

float Screen::heightTwips() const
{
    return static_cast<float>(geometry().height()) * twipsPerPixel();
}

ScreenChanges::ScreenChanges(QObject *parent) : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) { emit added(Screen(screen)); });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen *screen) { emit removed(Screen(screen)); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
            [this](QScreen *screen) { emit primaryChanged(Screen(screen)); });
}

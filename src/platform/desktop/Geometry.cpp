#include "platform/desktop/Geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr float kDefaultTwipsPerPixel = 15.0f;

QScreen *primaryScreen()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

int toPixel(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

constexpr char kTwipsProperty[] = "dravikTwipsGeometry";

float twipsPerPixelOf(const QWidget &element)
{
    return Screen::of(element).twipsPerPixel();
}

QRectF twipsOf(const QWidget &element)
{
    const QVariant stored = element.property(kTwipsProperty);
    if (stored.isValid())
        return stored.toRectF();
    // Never placed in twips: derive from where the widget actually is.
    const double factor = twipsPerPixelOf(element);
    const QRect pixels = element.geometry();
    return QRectF(pixels.x() * factor, pixels.y() * factor, pixels.width() * factor, pixels.height() * factor);
}

void place(QWidget &element, const QRectF &twips)
{
    element.setProperty(kTwipsProperty, twips);
    element.setGeometry(PixelRectFromTwips(twips, twipsPerPixelOf(element)));
}

// Changes one side of the box as stored, so the other values keep their exact twips.
template <typename Change>
void reshape(QWidget &element, Change change)
{
    QRectF box = twipsOf(element);
    change(box);
    place(element, box);
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

QRect PixelRectFromTwips(const QRectF &twips, float twipsPerPixel)
{
    const int left = toPixel(twips.left(), twipsPerPixel);
    const int top = toPixel(twips.top(), twipsPerPixel);
    const int right = toPixel(twips.left() + twips.width(), twipsPerPixel);
    const int bottom = toPixel(twips.top() + twips.height(), twipsPerPixel);
    return QRect(left, top, right - left, bottom - top);
}

namespace Element {

float Left(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).left());
}
float Top(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).top());
}
float Width(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).width());
}
float Height(const QWidget &element)
{
    return static_cast<float>(twipsOf(element).height());
}

void setLeft(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveLeft(twips); });
}

void setTop(QWidget &element, float twips)
{
    reshape(element, [twips](QRectF &box) { box.moveTop(twips); });
}

void setGeometry(QWidget &element, float left, float top, float width, float height)
{
    place(element, QRectF(left, top, width, height));
}

} // namespace Element

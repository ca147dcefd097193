#include "Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr float kDefaultTwipsPerPixel = 15.0f;

QScreen *primaryScreen()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                          : nullptr;
}

} // namespace

float TwipsPerPixel()
{
    const QScreen *screen = primaryScreen();
    if (!screen || screen->logicalDotsPerInchX() <= 0)
        return kDefaultTwipsPerPixel;
    return static_cast<float>(kTwipsPerInch / screen->logicalDotsPerInchX());
}

float ScreenWidthTwips()
{
    const QScreen *screen = primaryScreen();
    return screen ? static_cast<float>(screen->geometry().width()) * TwipsPerPixel() : 0.0f;
}

float ScreenHeightTwips()
{
    const QScreen *screen = primaryScreen();
    return screen ? static_cast<float>(screen->geometry().height()) * TwipsPerPixel() : 0.0f;
}

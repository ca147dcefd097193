#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRectF>

class QScreen;
class QWidget;

// A screen as the program sees it: its place on the desktop in pixels, its size in twips and
// its device pixel ratio, each read afresh from the desktop on every call. Every question the
// program asks about a screen goes through here. Twips per pixel follow the screen's logical
// resolution, 1440 / logical DPI: 15 at 96 DPI, 12 at 120 DPI. A screen that is gone (or none
// at all, without a desktop) measures 0 × 0 at 15 twips per pixel.
class Screen
{
public:
    // The primary screen.
    Screen();
    explicit Screen(QScreen *screen);
    // The screen a window or element is shown on (the primary before it is shown).
    static Screen of(const QWidget &widget);
    // Every screen of the desktop, the primary first.
    static QList<Screen> all();

    bool isPrimary() const;
    bool exists() const { return !m_screen.isNull(); }

    QRect geometry() const;
    qreal devicePixelRatio() const;
    float twipsPerPixel() const;
    float widthTwips() const;
    float heightTwips() const;

    // Makes window cover this screen: full screen on it, over panels and task bars. The
    // geometry is set as well as the state, for window systems without a manager.
    void coverWith(QWidget &window) const;

    friend bool operator==(const Screen &left, const Screen &right);

private:
    QPointer<QScreen> m_screen;
};

// Screens plugged in, taken away, or made primary while the program runs. Removal is told
// while the screen still exists, so whatever is on it can be taken away first.
class ScreenChanges : public QObject
{
    Q_OBJECT

public:
    explicit ScreenChanges(QObject *parent = nullptr);

signals:
    void added(const Screen &screen);
    void removed(const Screen &screen);
    void primaryChanged(const Screen &screen);
};

// Maps a box in twips onto the pixel grid. Edges are rounded rather than the size, so two
// elements that overlap or touch in twips still do so in pixels.
QRect PixelRectFromTwips(const QRectF &twips, float twipsPerPixel);

// Position and size of a window element in single-precision twips, relative to its
// container, at the twips per pixel of the screen it is on. The exact values written are
// kept, so fractional positions read back as written; the widget itself sits on the nearest
// pixels. An element inside a panel is a child widget of it and so moves with it.
namespace Element {

float Left(const QWidget &element);
float Top(const QWidget &element);
float Width(const QWidget &element);
float Height(const QWidget &element);

void setLeft(QWidget &element, float twips);
void setTop(QWidget &element, float twips);
void setGeometry(QWidget &element, float left, float top, float width, float height);

} // namespace Element

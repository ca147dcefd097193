#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

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

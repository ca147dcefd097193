#pragma once

#include "platform/desktop/Screen.h"

#include <QObject>

#include <memory>
#include <vector>

class CoverWindow;

// One cover window on every screen but the primary, kept so while screens come and go or
// another screen becomes the primary. Whatever input reaches a cover comes out of here.
class ScreenCovers : public QObject
{
    Q_OBJECT

public:
    explicit ScreenCovers(QObject *parent = nullptr);
    ~ScreenCovers() override;

    // Covers every screen but the primary, now and from now on.
    void show();
    // Takes every cover away, for good.
    void close();

signals:
    void KeyDown();
    void MouseDown();
    void MouseMove(const QPointF &globalPosition);

private:
    struct Cover;

    void follow();
    void forget(const Screen &screen);
    void cover(const Screen &screen);

    ScreenChanges m_changes;
    std::vector<Cover> m_covers;
    bool m_shown = false;
};

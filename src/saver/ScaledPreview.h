#pragma once

#include <QWidget>

class HostWindow;

// The saver window shown scaled down inside a window too small for it (the preview area of a
// daemon's settings dialog): whole, centred, on black. The window itself stays hidden and is
// painted into this one; refresh() after it changed.
class ScaledPreview : public QWidget
{
    Q_OBJECT

public:
    ScaledPreview(HostWindow &host, QWidget &shown);

    void refresh() { update(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget &m_shown;
};

#pragma once

#include <QWidget>

// A black, frameless window over the whole of one screen other than the saver's own, so that
// no monitor goes on showing the desktop. It is part of the saver's window surface: it passes
// every key, mouse press and pointer move (its arrival included) on to the saver window, whose handlers decide.
class CoverWindow : public QWidget
{
    Q_OBJECT

public:
    CoverWindow();

signals:
    void KeyDown();
    void MouseDown();
    void MouseMove(const QPointF &globalPosition);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

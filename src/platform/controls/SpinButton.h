#pragma once

#include <QWidget>

class QToolButton;

// The spin button: two arrows side by side, the left one stepping down and the right one
// stepping up, each with its own event. Holding an arrow repeats its event, and with focus
// the arrow keys step too, as users expect of a spin control.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget *parent = nullptr);

    void setBackground(const QColor &color);

signals:
    void SpinDown();
    void SpinUp();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_down;
    QToolButton *m_up;
};

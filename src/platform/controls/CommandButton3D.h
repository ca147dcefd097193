#pragma once

#include <QPushButton>

// The 3-D command button: a push button with its design caption, font and text colour.
// Its click is QAbstractButton::clicked; Space presses it like any push button, and Enter
// does too when it has focus.
class CommandButton3D : public QPushButton
{
    Q_OBJECT

public:
    CommandButton3D(const QString &caption, QWidget *parent = nullptr);

    void setCaptionColor(const QColor &color);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

#pragma once

#include "saver/SaverLayout.h"

#include <QObject>

#include <functional>

class QPointF;
class QString;
class QWidget;

// Where the saver window draws, and what that place asks of it: the window's size and the
// screen it lays out for, how it shows, whose input reaches it, how a failure is told. The
// window keeps its elements, its ticks and its input rules and asks the presentation for the
// rest, so that it draws the same way wherever it is shown.
class Presentation : public QObject
{
    Q_OBJECT

public:
    // Takes the window it presents, once, before anything else; stack reads the window's
    // stack as it stands.
    virtual void attach(QWidget &window, std::function<SaverStack()> stack) = 0;

    // Sizes and places the window for where it draws.
    virtual void place() = 0;
    // The screen the window lays out for; each read measures afresh.
    virtual ScreenTwips screenTwips() const = 0;
    // Shows or hides what the window shows there.
    virtual void setVisible(bool visible) = 0;
    // The window has just been shown.
    virtual void shown() = 0;
    // The window was closed: nothing but it is to be left on the screen.
    virtual void closed() = 0;

    // Runs an input's handler when input on the window is the saver's to act on.
    virtual void handleInput(const std::function<void()> &handler) const = 0;

    // Tells that the photographs cannot be shown, in the way this place allows.
    virtual void showFailure(const QString &title, const QString &text) = 0;
    // A photo is shown again: whatever showFailure left up goes.
    virtual void failureOver() = 0;
    // True while a failure waits for an answer; ticks that come meanwhile change nothing.
    virtual bool awaitsAnswer() const = 0;
    // A tick has ended: the window's picture may have changed.
    virtual void tickEnded() = 0;

signals:
    // Where the window draws changed its size or its screen; the window is placed for it and
    // is to be laid out again now.
    void resized();
    // Where the window draws is gone, and with it the saver.
    void gone();
    // The window shows with its input the saver's for the first time: where the pointer rests
    // now is no move.
    void inputTaken();
    // Input on the rest of the saver's surface, beyond the window (other screens' covers).
    void surfaceKeyDown();
    void surfaceMouseDown();
    void surfaceMouseMove(const QPointF &globalPosition);
};

#pragma once

#include "saver/Presentation.h"

class ScreenChanges;
class ScreenCovers;

// The saver window over the whole primary screen, above everything, with the pointer hidden
// and every other screen under a black cover; should the primary screen change, the window
// moves to the new one. Input anywhere on it is the saver's, and a failure is a message box
// to be answered.
class FullScreenPresentation : public Presentation
{
    Q_OBJECT

public:
    void attach(QWidget &window, std::function<SaverStack()> stack) override;

    void place() override;
    ScreenTwips screenTwips() const override;
    void setVisible(bool visible) override;
    void shown() override;
    void closed() override;

    void handleInput(const std::function<void()> &handler) const override;

    void showFailure(const QString &title, const QString &text) override;
    void failureOver() override {}
    bool awaitsAnswer() const override { return m_failureMessageOpen; }
    void tickEnded() override {}

private:
    void followPrimaryScreen();

    QWidget *m_window = nullptr;
    ScreenCovers *m_covers = nullptr;
    ScreenChanges *m_screenChanges = nullptr;
    bool m_failureMessageOpen = false;
    bool m_shownBefore = false;
};

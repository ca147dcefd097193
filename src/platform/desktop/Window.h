#pragma once

#include <QWidget>

#include <functional>

// A top-level window of the program. Its load handler runs once, before the window first
// becomes visible; its query-unload and unload handlers run when it is closed by anything
// but program termination (the window manager, a signal, the frame's close button).
// Where its handlers end the program, they do so through the end action it was made with:
// EndProgram in the program, something a test can watch in the tests.
class Window : public QWidget
{
    Q_OBJECT

public:
    using EndAction = std::function<void()>;

    explicit Window(EndAction endProgram, QWidget *parent = nullptr);

    // Runs the load handler on first use, then shows the window without blocking.
    void showModeless();

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_Unload() {}

    void closeEvent(QCloseEvent *event) override;

    void endProgram() const { m_endProgram(); }

private:
    EndAction m_endProgram;
    bool m_loaded = false;
};

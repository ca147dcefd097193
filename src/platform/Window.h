#pragma once

#include <QWidget>

// A top-level window of the program. Its load handler runs once, before the window first
// becomes visible; its query-unload and unload handlers run when it is closed by anything
// but program termination (the window manager, a signal, the frame's close button).
class Window : public QWidget
{
    Q_OBJECT

public:
    explicit Window(QWidget *parent = nullptr);

    // Runs the load handler on first use, then shows the window without blocking.
    void showModeless();

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_Unload() {}

    void closeEvent(QCloseEvent *event) override;

private:
    bool m_loaded = false;
};

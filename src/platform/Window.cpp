#include "Window.h"

#include <QCloseEvent>

Window::Window(QWidget *parent) : QWidget(parent)
{
}

void Window::showModeless()
{
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    show();
}

void Window::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    Form_Unload();
    event->accept();
}

#include "platform/desktop/Window.h"

#include <QCloseEvent>

Window::Window(EndAction endProgram, QWidget *parent) : QWidget(parent), m_endProgram(std::move(endProgram)) {}

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

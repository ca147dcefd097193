#include "MessageBoxWatcher.h"

#include <QAbstractButton>
#include <QApplication>

namespace {

int visibleMessageBoxes()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QMessageBox *>(widget))
            ++count;
    }
    return count;
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher()
{
    m_poll.setInterval(10);
    connect(&m_poll, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    m_poll.start();
}

void MessageBoxWatcher::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_poll.stop();

    Seen seen;
    seen.text = box->text();
    seen.title = box->windowTitle();
    seen.buttons = box->standardButtons();
    seen.icon = box->icon();
    seen.buttonCount = int(box->buttons().size());
    if (m_whileOpen)
        m_whileOpen(*box);
    seen.openAtOnce = visibleMessageBoxes();
    m_seen.append(seen);

    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->reject();
    m_poll.start();
}

#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Answers the modal message boxes a test provokes: records what each one said, runs an
// optional check while it is open (inside its event loop) and then presses its OK button.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString text;
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttonCount = 0;
        int openAtOnce = 0; // message boxes visible at the moment this one was answered
    };

    MessageBoxWatcher();

    // Runs while each box is open, before it is answered.
    void setWhileOpen(std::function<void(QMessageBox &)> check) { m_whileOpen = std::move(check); }

    const QList<Seen> &seen() const { return m_seen; }

private:
    void poll();

    QTimer m_poll;
    std::function<void(QMessageBox &)> m_whileOpen;
    QList<Seen> m_seen;
};

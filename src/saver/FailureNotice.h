#pragma once

#include <QWidget>

// The missing-photographs message drawn inside the saver's own picture, for when the saver
// draws into a daemon's window: there it may open no window of its own, and nobody could
// press OK while the daemon holds the keyboard. The heading is the message box's title.
class FailureNotice : public QWidget
{
    Q_OBJECT

public:
    explicit FailureNotice(QWidget *parent);

    // Shows the message centred on the parent, over everything else on it.
    void showMessage(const QString &heading, const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_heading;
    QStringList m_lines;
};

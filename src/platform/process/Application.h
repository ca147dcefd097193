#pragma once

#include <QApplication>

// The program's QApplication: every event goes through notify(), so an error raised by
// any handler is reported here and never unwinds through Qt's event loop, and while an error
// is being reported no other handler gets an event.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

#pragma once

#include <QApplication>

// The program's QApplication: every event goes through notify(), so an error raised by
// any handler is reported here and never unwinds through Qt's event loop.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

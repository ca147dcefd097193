#pragma once

#include <QString>
#include <QTemporaryDir>

// A stand-in for the saver: a shell script that writes on standard error what the test tells
// it to, when it tells it to, so that the bench's reading of the real program is tested on
// logs the program does not write yet, and on failures it should never have.
class FakeSaver
{
public:
    // body is the script after its "#!/bin/sh" line.
    explicit FakeSaver(const QString &body);

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

    // The saver's window line, as the lifecycle log writes it with the bench's message pattern.
    static QString windowShownLine();

private:
    QTemporaryDir m_directory;
    QString m_path;
};

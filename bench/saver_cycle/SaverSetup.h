#pragma once

#include "IsolatedUserDirs.h"

#include <QProcessEnvironment>
#include <QString>

// How the bench runs the real saver: the program, a settings, cache and runtime directory
// (mode 0700) of its own, so that neither the user's settings and photo cache nor a running
// saver's instance lock is touched, and every run of one setup shares one rendition cache, the photo directory, and the
// logging that the measurements read.
class SaverSetup
{
public:
    SaverSetup(QString program, QString photoDir);

    const QString &program() const { return m_program; }
    // Where the saver keeps its rendition cache.
    QString cacheHome() const { return m_userDirs.cacheHome(); }
    // The environment to start the saver in.
    QProcessEnvironment environment() const;
    // Stores the interval and the photo directory in the saver's settings file, through the
    // program's own settings store. Raises CannotMeasure when it cannot be written.
    void storeSettings(int intervalSeconds) const;

private:
    QString m_program;
    QString m_photoDir;
    IsolatedUserDirs m_userDirs;
};

#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A throwaway home for one test: its own config, cache and runtime directories, so that
// tests never touch the user's settings, photo cache or instance lock, and processes started
// with environment() see the same ones.
class IsolatedUserDirs
{
public:
    IsolatedUserDirs();

    QString configHome() const;
    QString cacheHome() const;
    QString runtimeDir() const;
    // The settings file the program writes for the current user.
    QString settingsFile() const;
    // The caller's environment with XDG_CONFIG_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR
    // pointing here.
    QProcessEnvironment environment() const;
    // Points this process's settings store and runtime directory here too.
    void applyToThisProcess() const;

private:
    QTemporaryDir m_root;
};

#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A settings file's contents, parsed and rewritten by QSettings in a private working copy.
//
// QSettings caches each file it has parsed for the rest of the process and trusts that cache
// while the file's size and modification time look unchanged. File times only advance with the
// clock tick, so a same-sized save by another process within one tick goes unseen: a read then
// returns the old value, and a save from here writes the old value back over the other
// process's change. A copy under a name QSettings has never seen is always parsed afresh.
class IniSnapshot
{
public:
    // contents: the settings file's bytes, empty for a file that does not exist yet.
    // settingsFile and source name the real file and the operation in errors. Raises
    // RuntimeError(PathFileAccess) when the contents do not parse.
    IniSnapshot(const QByteArray &contents, QString settingsFile, QString source);

    QSettings &settings() { return *m_settings; }

    // The contents with the changes made through settings(), as QSettings writes them.
    // Raises RuntimeError(PathFileAccess) when the working copy cannot be written.
    QByteArray serialise();

private:
    // A new working copy holding contents, parsed; null when the contents do not parse.
    std::unique_ptr<QSettings> parse(const QByteArray &contents);
    [[noreturn]] void raise(const QString &reason) const;

    QString m_settingsFile;
    QString m_source;
    QTemporaryDir m_dir;
    int m_copies = 0;
    std::unique_ptr<QSettings> m_settings;
};

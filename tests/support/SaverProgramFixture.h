#pragma once

#include "IsolatedUserDirs.h"
#include "ProgramProcess.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// What the end-to-end tests of the saver share: user folders of the test's own, also for this
// process (so that the settings it stores are the ones the program reads), a photo folder, the
// real program started until its window shows, and its end. Its checks fail the test function
// that calls it.
class SaverProgramFixture
{
public:
    // For initTestCase: makes the photo folder.
    void setUp();
    // A fresh, empty photo folder in place of the one before.
    void renewPhotoDir();

    // A folder of the test's own, holding the photo folder.
    QString root() const { return m_root->path(); }
    // Ends in a slash, as a user types it in the settings.
    QString photoDir() const { return root() + QStringLiteral("/draviks/"); }
    const IsolatedUserDirs &userDirs() const { return m_userDirs; }
    // The user folders' environment with the lifecycle log, which start() waits on, and any
    // further logging rules.
    QProcessEnvironment environment(const QString &moreLoggingRules = {}) const;
    // The environment with the lifecycle log and any further logging rules.
    static QProcessEnvironment withLifecycleLog(QProcessEnvironment environment, const QString &moreLoggingRules = {});

    // Starts the program and waits until it says its window is shown and the X server has it.
    static void start(ProgramProcess &program, const QStringList &arguments = {});
    // Waits until the program has ended after what the test did (named in `after` for a failure's
    // reader), and checks that it ended well: by itself, with status 0.
    static void waitForGoodEnd(ProgramProcess &program, const QString &after, int timeoutMs = 10000);
    // Ends the running program as a daemon does (SIGTERM) and checks that it ended well.
    static void end(ProgramProcess &program);

private:
    IsolatedUserDirs m_userDirs;
    std::unique_ptr<QTemporaryDir> m_root;
};

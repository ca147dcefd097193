#include "platform/process/InstanceLock.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// The instance lock belongs to the process that took it, and to nothing it forks: libraries
// fork helpers (a message bus starter, for one) that may outlive the program.
class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void secondLockInAnotherProcessSeesTheFirst();
    void forkedChildDoesNotKeepTheLock();

private:
    // Runs work in a child process; its status is work's result.
    static int inChild(const std::function<int()> &work);
};

int TestInstanceLock::inChild(const std::function<int()> &work)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work());
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TestInstanceLock::secondLockInAnotherProcessSeesTheFirst()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const InstanceLock first(runtime.path());
    QVERIFY(!first.anotherInstanceRuns());
    QCOMPARE(inChild([&] { return InstanceLock(runtime.path()).anotherInstanceRuns() ? 0 : 1; }), 0);
}

void TestInstanceLock::forkedChildDoesNotKeepTheLock()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    int release[2] = {-1, -1};
    QCOMPARE(::pipe(release), 0);
    // The holder forks a helper that lives on after the holder has ended.
    const int holder = inChild([&] {
        const InstanceLock lock(runtime.path());
        if (lock.anotherInstanceRuns())
            return 1;
        if (::fork() == 0) {
            ::close(release[1]);
            char byte = 0;
            ::_exit(int(::read(release[0], &byte, 1)));
        }
        return 0;
    });
    ::close(release[0]);
    QCOMPARE(holder, 0);

    const InstanceLock next(runtime.path());
    ::close(release[1]); // the helper ends
    QVERIFY2(!next.anotherInstanceRuns(), "the holder's forked helper kept the lock");
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instance_lock.moc"

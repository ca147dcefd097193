#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>

#include <memory>
#include <utility>

// A worker thread for jobs that must not hold up the user-interface thread, one at a time:
// a job runs there, and its end is reported on the thread of the object that started it.
// Stopping a job is the job's own business; its owner stops it before it lets it go.
class OneJobWorker
{
public:
    OneJobWorker() { m_pool.setMaxThreadCount(1); }
    // Waits for the running job to wind down, which stopping it first makes quick.
    ~OneJobWorker() { m_pool.waitForDone(); }

    OneJobWorker(const OneJobWorker &) = delete;
    OneJobWorker &operator=(const OneJobWorker &) = delete;

    // Runs job->run() on the worker, after the job started before it, then done(job) on the
    // receiver's thread. The worker has a reference of its own, so a job stopped and dropped
    // by its owner can still wind down there. The receiver must own this worker: its
    // destructor waits for the worker, so the receiver outlives the call, and a report still
    // queued when it goes is dropped with it.
    template <typename Job, typename Done>
    void start(QObject *receiver, std::shared_ptr<Job> job, Done done)
    {
        m_pool.start([receiver, job = std::move(job), done = std::move(done)] {
            job->run();
            QMetaObject::invokeMethod(
                receiver, [job, done] { done(job); }, Qt::QueuedConnection);
        });
    }

private:
    QThreadPool m_pool;
};

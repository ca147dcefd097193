#include "saver_cycle/SaverMeasurements.h"

#include "ProcessUsage.h"
#include "saver_cycle/CannotMeasure.h"
#include "saver_cycle/SaverProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <functional>
#include <vector>

using namespace SaverMeasurements;

namespace {

constexpr qint64 kShowTimeoutMs = 20000;
constexpr int kEndGraceMs = 10000;

constexpr int kCycleIntervalSeconds = 1;
// A build that does not log its ticks is timed by the clock instead, from halfway between
// the first two ticks (the saver's timer starts just before its window is shown) for as many
// intervals as there are measured ticks.
constexpr qint64 kClockWindowStartMs = 1500;
constexpr qint64 kClockWindowEndMs = kClockWindowStartMs + kMeasuredTicks * kCycleIntervalSeconds * 1000;
// Room for the tick after the last one measured (it closes that one's completions), also on
// a busy machine.
constexpr qint64 kNextTickTimeoutMs = kClockWindowEndMs + 5000;

constexpr int kIdleIntervalSeconds = 60;
constexpr qint64 kIdleSettleMs = 10000;
constexpr qint64 kIdleWindowMs = 40000;

struct CpuSample
{
    qint64 process = 0;
    qint64 userInterfaceThread = 0;
    qint64 writtenBytes = 0;
    qsizetype decodes = 0;
    qsizetype cacheReads = 0;
};

// The kernel's write_bytes of the process; -1 when it cannot be read.
qint64 writtenBytes(qint64 pid)
{
    QFile io(QStringLiteral("/proc/%1/io").arg(pid));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("write_bytes:"))
            return line.mid(12).trimmed().toLongLong();
    }
    return -1;
}

double seconds(qint64 ticks)
{
    return double(ticks) / double(ProcessUsage::ticksPerSecond());
}

// The saver while it is measured: its CPU is sampled the moment each tick's line is read, and
// every wait checks that it is still up and has shown every photo it tried to.
class MeasuredSaver
{
public:
    explicit MeasuredSaver(const SaverSetup &setup) : m_saver(setup.program(), setup.environment())
    {
        QString failure;
        if (!m_saver.start(&failure))
            throw CannotMeasure{failure};
        m_sinceStart.start();
        readUntil(kShowTimeoutMs, [this] { return m_saver.log().windowShown(); });
        if (!m_saver.log().windowShown()) {
            throw CannotMeasure{QStringLiteral("the saver showed no window within %1 s; %2")
                                    .arg(kShowTimeoutMs / 1000)
                                    .arg(lastWords())};
        }
        m_shownAtMs = m_sinceStart.elapsed();
    }

    const SaverLog &log() const { return m_saver.log(); }
    qint64 shownAtMs() const { return m_shownAtMs; }
    const std::vector<CpuSample> &tickSamples() const { return m_tickSamples; }

    // Reads what the saver says until done holds or the time since its start reaches untilMs.
    void readUntil(
        qint64 untilMs, const std::function<bool()> &done = [] { return false; })
    {
        for (;;) {
            const QDeadlineTimer deadline(std::max<qint64>(0, untilMs - m_sinceStart.elapsed()));
            m_saver.readUntil(
                [&](const SaverLog &log) {
                    return qsizetype(m_tickSamples.size()) < log.ticks().size() || !log.tickFailure().isEmpty()
                        || done();
                },
                deadline);
            check();
            while (qsizetype(m_tickSamples.size()) < log().ticks().size())
                m_tickSamples.push_back(sample());
            if (done() || deadline.hasExpired())
                return;
        }
    }

    CpuSample sample() const
    {
        const qint64 pid = m_saver.processId();
        const std::optional<qint64> process = ProcessUsage::processCpuTicks(pid);
        // Qt's user-interface thread is the process's first, whose thread id is the process id.
        const std::optional<qint64> userInterfaceThread = ProcessUsage::threadCpuTicks(pid, pid);
        if (!process || !userInterfaceThread)
            throw CannotMeasure{QStringLiteral("the saver's CPU time could not be read from /proc/%1").arg(pid)};
        const QString text = log().text();
        return {*process, *userInterfaceThread, writtenBytes(pid), text.count(QStringLiteral("decoding \"")),
                text.count(QStringLiteral("rendition from cache \""))};
    }

    qint64 peakKilobytes() const
    {
        const std::optional<qint64> peak = ProcessUsage::peakResidentKilobytes(m_saver.processId());
        if (!peak) {
            throw CannotMeasure{QStringLiteral("the saver's peak memory could not be read from /proc/%1/status")
                                    .arg(m_saver.processId())};
        }
        return *peak;
    }

    // Ends the saver; what a reader of the figures should know about how, and about its log.
    QStringList end()
    {
        QStringList notes;
        const QString outcome = m_saver.end(kEndGraceMs);
        if (!outcome.isEmpty())
            notes.append(outcome);
        const QStringList unexpected = log().unexpectedTimingLines();
        if (!unexpected.isEmpty()) {
            notes.append(QStringLiteral("%1 dravik.timing lines of a form this bench does not read were left out, "
                                        "the first: \"%2\"")
                             .arg(unexpected.size())
                             .arg(unexpected.constFirst()));
        }
        return notes;
    }

private:
    void check() const
    {
        if (!log().tickFailure().isEmpty())
            throw CannotMeasure{QStringLiteral("the saver could not show a photo: %1").arg(log().tickFailure())};
        if (!m_saver.isRunning())
            throw CannotMeasure{QStringLiteral("the saver ended while it was measured; %1").arg(lastWords())};
    }

    // The last lines the saver wrote, for a report of what went wrong.
    QString lastWords() const
    {
        const QString text = log().text().trimmed();
        if (text.isEmpty())
            return QStringLiteral("it wrote nothing on standard error");
        const QStringList lines = text.split(u'\n');
        return QStringLiteral("its last lines on standard error:\n  %1")
            .arg(lines.mid(std::max<qsizetype>(0, lines.size() - 8)).join(QStringLiteral("\n  ")));
    }

    SaverProcess m_saver;
    QElapsedTimer m_sinceStart;
    qint64 m_shownAtMs = 0;
    std::vector<CpuSample> m_tickSamples;
};

} // namespace

CycleFigures SaverMeasurements::measureCycle(const SaverSetup &setup)
{
    setup.storeSettings(kCycleIntervalSeconds);
    MeasuredSaver saver(setup);
    const qint64 shown = saver.shownAtMs();
    saver.readUntil(shown + kClockWindowStartMs);
    const CpuSample clockStart = saver.sample();
    saver.readUntil(shown + kClockWindowEndMs);
    const CpuSample clockEnd = saver.sample();
    if (!saver.log().ticks().isEmpty()) {
        saver.readUntil(shown + kNextTickTimeoutMs,
                        [&saver] { return saver.log().ticks().size() >= kMeasuredTicks + 2; });
    }
    CycleFigures figures;
    figures.peakKilobytes = saver.peakKilobytes();
    figures.notes = saver.end();

    const QList<SaverLog::Tick> &ticks = saver.log().ticks();
    figures.ticksLogged = !ticks.isEmpty();
    CpuSample first = clockStart;
    CpuSample last = clockEnd;
    if (figures.ticksLogged) {
        const std::vector<CpuSample> &samples = saver.tickSamples();
        if (samples.size() < std::size_t(kMeasuredTicks + 1)) {
            throw CannotMeasure{QStringLiteral("the saver logged %1 ticks in %2 s at Interval=%3; %4 were needed")
                                    .arg(samples.size())
                                    .arg(double(kNextTickTimeoutMs) / 1000, 0, 'f', 1)
                                    .arg(kCycleIntervalSeconds)
                                    .arg(kMeasuredTicks + 1)};
        }
        first = samples.front();
        last = samples.at(kMeasuredTicks);
        if (ticks.size() < kMeasuredTicks + 2)
            figures.notes.append(QStringLiteral("no tick came after the last one measured: its completions may be "
                                                "missing from the user-interface thread's time"));
        // The ticks shown inside the CPU window: the first one's handler ran before it opened.
        qint64 total = 0;
        qint64 longest = 0;
        for (qsizetype tick = 1; tick <= kMeasuredTicks; ++tick) {
            const qint64 microseconds = ticks.at(tick).userInterfaceMicroseconds();
            total += microseconds;
            longest = std::max(longest, microseconds);
        }
        figures.userInterfaceMeanMicroseconds = double(total) / kMeasuredTicks;
        figures.userInterfaceMaxMicroseconds = longest;
    }
    figures.cpuSecondsPerPhoto = seconds(last.process - first.process) / kMeasuredTicks;
    figures.userInterfaceCpuSecondsPerPhoto =
        seconds(last.userInterfaceThread - first.userInterfaceThread) / kMeasuredTicks;
    return figures;
}

PassFigures SaverMeasurements::measurePass(const SaverSetup &setup, int photos)
{
    setup.storeSettings(kCycleIntervalSeconds);
    MeasuredSaver saver(setup);
    // A tick a second, with room for a loaded machine.
    const qint64 untilMs = saver.shownAtMs() + qint64(photos) * 2000 + 10000;
    saver.readUntil(untilMs, [&saver, photos] { return saver.log().ticks().size() >= photos + 1; });
    if (saver.tickSamples().size() < std::size_t(photos + 1)) {
        throw CannotMeasure{QStringLiteral("the saver logged %1 ticks of the %2 needed")
                                .arg(saver.tickSamples().size())
                                .arg(photos + 1)};
    }
    PassFigures figures;
    figures.notes = saver.end();
    const CpuSample &first = saver.tickSamples().front();
    const CpuSample &last = saver.tickSamples().at(std::size_t(photos));
    if (first.writtenBytes < 0 || last.writtenBytes < 0)
        throw CannotMeasure{QStringLiteral("the saver's written bytes could not be read from /proc/<pid>/io")};
    figures.photos = photos;
    figures.cpuSecondsPerPhoto = seconds(last.process - first.process) / photos;
    figures.writtenBytesPerPhoto = double(last.writtenBytes - first.writtenBytes) / photos;
    figures.decodes = int(last.decodes - first.decodes);
    figures.cacheReads = int(last.cacheReads - first.cacheReads);
    return figures;
}

IdleFigures SaverMeasurements::measureIdle(const SaverSetup &setup)
{
    setup.storeSettings(kIdleIntervalSeconds);
    MeasuredSaver saver(setup);
    saver.readUntil(kIdleSettleMs);
    const CpuSample start = saver.sample();
    const qsizetype ticksBefore = saver.log().ticks().size();
    saver.readUntil(kIdleSettleMs + kIdleWindowMs);
    const CpuSample end = saver.sample();
    const qsizetype ticksInWindow = saver.log().ticks().size() - ticksBefore;

    IdleFigures figures;
    figures.windowMs = kIdleWindowMs;
    figures.cpuTicks = end.process - start.process;
    figures.notes = saver.end();
    if (ticksInWindow > 0)
        figures.notes.append(QStringLiteral("%1 ticks were logged inside the idle window").arg(ticksInWindow));
    return figures;
}

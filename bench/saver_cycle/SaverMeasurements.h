#pragma once

#include "saver_cycle/SaverSetup.h"

#include <QStringList>
#include <QtGlobal>

#include <optional>

// The two runs of the real saver that the bench measures. Each raises CannotMeasure when the
// saver does not start, does not show its window, fails to show a photo or ends by itself.
namespace SaverMeasurements {

// Four photos, Interval=1: the first photo on three ticks in a row, then each other once, so
// a cycle is 6 ticks and two cycles show 12 photos.
constexpr int kTicksPerCycle = 6;
constexpr int kMeasuredTicks = 2 * kTicksPerCycle;

struct CycleFigures
{
    // Whether the ticks were the program's own timing lines; else the clock timed them.
    bool ticksLogged = false;
    // CPU time of all the saver's threads, and of its user-interface thread, per shown photo.
    double cpuSecondsPerPhoto = 0;
    double userInterfaceCpuSecondsPerPhoto = 0;
    // The user-interface thread's time per tick, handler and deferred completion, where logged.
    std::optional<double> userInterfaceMeanMicroseconds;
    std::optional<qint64> userInterfaceMaxMicroseconds;
    // The saver's peak resident memory (VmHWM), read just before it was ended.
    qint64 peakKilobytes = 0;
    // Whatever else was seen that a reader of the figures should know.
    QStringList notes;
};

// From just after one tick to just after the tick two cycles later.
CycleFigures measureCycle(const SaverSetup &setup);

struct PassFigures
{
    int photos = 0;
    // CPU of all the saver's threads per photo shown, and what it wrote to disc (the
    // kernel's write_bytes: what it sent to be stored, its log on a pipe not included).
    double cpuSecondsPerPhoto = 0;
    double writtenBytesPerPhoto = 0;
    // What its lifecycle log said over the same ticks.
    int decodes = 0;
    int cacheReads = 0;
    QStringList notes;
};

// Interval=1, from just after the first tick to just after the tick photos later: one pass
// over a collection of that many photos.
PassFigures measurePass(const SaverSetup &setup, int photos);

struct IdleFigures
{
    qint64 windowMs = 0;
    qint64 cpuTicks = 0;
    QStringList notes;
};

// Interval=60: the CPU over 40 s from 10 s after the start, when no tick is due.
IdleFigures measureIdle(const SaverSetup &setup);

} // namespace SaverMeasurements

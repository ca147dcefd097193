// The saver's decode path at work: the CPU it spends per photo shown, the time its
// user-interface thread spends per tick and its peak memory while it cycles through four
// 24-megapixel camera photos, set against the floor of a reduced decode by djpeg, started
// once on an empty rendition cache (cold) and once more on the cache that run left (warm);
// and the CPU it spends while it waits between two ticks.
//
//   bench_saver_cycle [--quick] [--saver PATH]
//   bench_saver_cycle --collection N [--saver PATH]
//
// Runs the real program (by default the one built beside this bench) on the X server of
// DISPLAY; bench/run-saver-cycle.sh builds both and runs them under Xvfb. The full run takes
// about two minutes; --quick leaves out the idle run (50 s of it). The exit status is
// 0 whether the targets are met or not, 1 when a figure could not be measured or the command
// line was not understood.
//
// --collection N measures instead one pass over N photos, larger than a cache of the old
// 64 MiB limit held (45): a first pass on an empty rendition cache and a second start on
// what it left, each over N ticks, with the bytes written to disc and the decodes and cache
// reads per pass, and the same pass with no cache. Its photos are copies of a few distinct ones (the decode's work is
// the same, the files and so the keys are distinct); N = 200 takes about eleven minutes and 1.3 GB of temporary disc,
// removed at the end.
//
// The photos are made afresh in a temporary directory each run (a few seconds). The floor is
// the mean CPU time (the child's user + system, from wait4) of `djpeg -scale 1/8` on each
// photo, after one run that brings the file into the page cache. How the saver is measured is
// in saver_cycle/SaverMeasurements.h.

#include "ProcessUsage.h"
#include "platform/runtime/App.h"
#include "saver_cycle/CannotMeasure.h"
#include "saver_cycle/ChildCpuTime.h"
#include "saver_cycle/MachineDescription.h"
#include "saver_cycle/PhotoLikePicture.h"
#include "saver_cycle/ResultTable.h"
#include "saver_cycle/SaverMeasurements.h"
#include "saver_cycle/SaverSetup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

using SaverMeasurements::CycleFigures;
using SaverMeasurements::IdleFigures;
using SaverMeasurements::PassFigures;

const QSize kPhotoSize(6000, 4000);
// Named as the collection's photos are: a model year, a letter, a number.
const QStringList kPhotoNames{QStringLiteral("57A01.jpg"), QStringLiteral("62B02.jpg"), QStringLiteral("65C03.jpg"),
                              QStringLiteral("69D04.jpg")};
constexpr int kJpegQuality = 90;
// The distinct photos a collection is copied from.
constexpr int kDistinctPhotos = 8;
constexpr double kFirstPassCpuRatioTarget = 1.0;
constexpr int kFloorRunsPerPhoto = 5;

constexpr double kColdCpuRatioTarget = 0.75;
constexpr double kWarmCpuRatioTarget = 0.1;
constexpr double kUserInterfaceTargetMs = 5;
constexpr double kPeakTargetMB = 43;

void print(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString milliseconds(double seconds)
{
    return QStringLiteral("%1 ms").arg(seconds * 1000, 0, 'f', 1);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("no");
}

QStringList writePhotos(const QString &photoDir)
{
    if (!QDir().mkpath(photoDir))
        throw CannotMeasure{QStringLiteral("the photo directory %1 could not be made").arg(photoDir)};
    QStringList paths;
    for (int i = 0; i < kPhotoNames.size(); ++i) {
        const QString path = photoDir + kPhotoNames.at(i);
        QImageWriter writer(path, "jpg");
        writer.setQuality(kJpegQuality);
        if (!writer.write(makePhotoLikePicture(kPhotoSize, quint32(i + 1))))
            throw CannotMeasure{QStringLiteral("%1 could not be written: %2").arg(path, writer.errorString())};
        print(QStringLiteral("  %1  %2 x %3, %4 MB")
                  .arg(kPhotoNames.at(i))
                  .arg(kPhotoSize.width())
                  .arg(kPhotoSize.height())
                  .arg(double(QFileInfo(path).size()) / 1e6, 0, 'f', 2));
        paths.append(path);
    }
    return paths;
}

double floorCpuSeconds(const QString &djpeg, const QStringList &photos)
{
    double total = 0;
    int runs = 0;
    for (const QString &photo : photos) {
        const QStringList command{djpeg,
                                  QStringLiteral("-scale"),
                                  QStringLiteral("1/8"),
                                  QStringLiteral("-outfile"),
                                  QStringLiteral("/dev/null"),
                                  photo};
        // The first run only brings the file into the page cache.
        for (int run = 0; run <= kFloorRunsPerPhoto; ++run) {
            QString failure;
            const std::optional<double> cpu = runForCpuSeconds(command, &failure);
            if (!cpu)
                throw CannotMeasure{failure};
            if (run > 0) {
                total += *cpu;
                ++runs;
            }
        }
    }
    return total / runs;
}

void printNotes(const QStringList &notes)
{
    for (const QString &note : notes)
        print(QStringLiteral("  note: ") + note);
}

void addCpuRow(ResultTable &table, const QString &figure, double floor, double cpuSecondsPerPhoto, double target)
{
    const double ratio = cpuSecondsPerPhoto / floor;
    table.addRow(figure, QStringLiteral("%1 = %2 x floor").arg(milliseconds(cpuSecondsPerPhoto)).arg(ratio, 0, 'f', 2),
                 QStringLiteral("<= %1 x floor").arg(target), verdict(ratio <= target));
}

void addPeakRow(ResultTable &table, const QString &figure, qint64 peakKilobytes)
{
    const double peakMB = double(peakKilobytes) / 1024;
    table.addRow(figure, QStringLiteral("%1 MB").arg(peakMB, 0, 'f', 1), QStringLiteral("<= %1 MB").arg(kPeakTargetMB),
                 verdict(peakMB <= kPeakTargetMB));
}

// Named as the collection's photos are: a model year from 57, a letter, a number.
QStringList writeCollection(const QString &photoDir, int count)
{
    if (!QDir().mkpath(photoDir))
        throw CannotMeasure{QStringLiteral("the photo directory %1 could not be made").arg(photoDir)};
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = photoDir
            + QStringLiteral("%1%2%3.jpg")
                  .arg(57 + i / 26 % 43)
                  .arg(QChar(u'A' + i % 26))
                  .arg(i % 100, 2, 10, QChar(u'0'));
        if (i < kDistinctPhotos) {
            QImageWriter writer(path, "jpg");
            writer.setQuality(kJpegQuality);
            if (!writer.write(makePhotoLikePicture(kPhotoSize, quint32(i + 1))))
                throw CannotMeasure{QStringLiteral("%1 could not be written: %2").arg(path, writer.errorString())};
        } else if (!QFile::copy(paths.at(i % kDistinctPhotos), path)) {
            throw CannotMeasure{QStringLiteral("%1 could not be written").arg(path)};
        }
        paths.append(path);
    }
    return paths;
}

qint64 folderBytes(const QString &folder, int *files)
{
    qint64 total = 0;
    *files = 0;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        total += entry.size();
        ++*files;
    }
    return total;
}

QString megabytes(double bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / 1e6, 0, 'f', bytes < 1e5 ? 4 : 2);
}

int runCollection(int count, const QString &saver)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty())
        throw CannotMeasure{QStringLiteral("djpeg was not found on PATH (Debian: libjpeg-turbo-progs)")};
    if (!QFileInfo(saver).isExecutable())
        throw CannotMeasure{QStringLiteral("the saver %1 is not an executable file").arg(saver)};
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        throw CannotMeasure{QStringLiteral("no X server: DISPLAY is not set")};

    const QString loadAtStart = MachineDescription::loadAverage();
    QTemporaryDir root;
    if (!root.isValid())
        throw CannotMeasure{QStringLiteral("no temporary directory: %1").arg(root.errorString())};
    const QString photoDir = root.filePath(QStringLiteral("draviks")) + u'/';
    print(QStringLiteral("%1 photos in %2, copies of %3 distinct %4 x %5 (JPEG quality %6)")
              .arg(count)
              .arg(photoDir)
              .arg(std::min(count, kDistinctPhotos))
              .arg(kPhotoSize.width())
              .arg(kPhotoSize.height())
              .arg(kJpegQuality));
    const QStringList photos = writeCollection(photoDir, count);
    const double floor = floorCpuSeconds(djpeg, photos.mid(0, kDistinctPhotos));
    print(QStringLiteral("floor: %1 CPU per djpeg -scale 1/8 decode").arg(milliseconds(floor)));

    const SaverSetup setup(saver, photoDir);
    const QString cacheFolder = setup.cacheHome() + u'/' + App::Title();
    print(QStringLiteral("first pass (empty rendition cache): Interval=1, %1 ticks").arg(count));
    const PassFigures first = SaverMeasurements::measurePass(setup, count);
    printNotes(first.notes);
    int firstFiles = 0;
    const qint64 firstBytes = folderBytes(cacheFolder, &firstFiles);
    print(QStringLiteral("second start (the cache the first pass left): Interval=1, %1 ticks").arg(count));
    const PassFigures second = SaverMeasurements::measurePass(setup, count);
    printNotes(second.notes);
    int files = 0;
    const qint64 bytes = folderBytes(cacheFolder, &files);
    // The same pass with a cache folder open to others, which the saver refuses: what the
    // decodes alone cost in this sitting, to set the first pass against.
    if (!QFile::setPermissions(cacheFolder,
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                   | QFileDevice::ReadGroup | QFileDevice::ExeGroup))
        throw CannotMeasure{QStringLiteral("the cache folder %1 could not be opened to the group").arg(cacheFolder)};
    print(QStringLiteral("no cache (the saver refuses a folder open to others): Interval=1, %1 ticks").arg(count));
    const PassFigures uncached = SaverMeasurements::measurePass(setup, count);
    printNotes(uncached.notes);

    ResultTable table;
    const QString none = QStringLiteral("-");
    table.addRow(QStringLiteral("reduced decode floor (djpeg -scale 1/8), CPU"), milliseconds(floor), none, none);
    addCpuRow(table, QStringLiteral("CPU per displayed photo, first pass"), floor, first.cpuSecondsPerPhoto,
              kFirstPassCpuRatioTarget);
    addCpuRow(table, QStringLiteral("CPU per displayed photo, second start"), floor, second.cpuSecondsPerPhoto,
              kWarmCpuRatioTarget);
    table.addRow(QStringLiteral("CPU per displayed photo, no cache"),
                 QStringLiteral("%1 = %2 x floor")
                     .arg(milliseconds(uncached.cpuSecondsPerPhoto))
                     .arg(uncached.cpuSecondsPerPhoto / floor, 0, 'f', 2),
                 none, none);
    table.addRow(QStringLiteral("written to disc per displayed photo, first pass"),
                 megabytes(first.writtenBytesPerPhoto), none, none);
    const double writtenShare = second.writtenBytesPerPhoto / std::max(1.0, first.writtenBytesPerPhoto);
    table.addRow(QStringLiteral("written to disc per displayed photo, second start"),
                 QStringLiteral("%1 = %2 % of the first pass")
                     .arg(megabytes(second.writtenBytesPerPhoto))
                     .arg(writtenShare * 100, 0, 'f', 2),
                 QStringLiteral("< 1 %"), verdict(writtenShare < 0.01));
    table.addRow(QStringLiteral("decodes / cache reads, first pass"),
                 QStringLiteral("%1 / %2").arg(first.decodes).arg(first.cacheReads), none, none);
    table.addRow(QStringLiteral("decodes / cache reads, second start"),
                 QStringLiteral("%1 / %2").arg(second.decodes).arg(second.cacheReads), none, none);
    table.addRow(QStringLiteral("decodes / cache reads, no cache"),
                 QStringLiteral("%1 / %2").arg(uncached.decodes).arg(uncached.cacheReads), none, none);
    table.addRow(QStringLiteral("cache on disc after the first pass / second start"),
                 QStringLiteral("%1 in %2 files / %3 in %4 files")
                     .arg(megabytes(double(firstBytes)))
                     .arg(firstFiles)
                     .arg(megabytes(double(bytes)))
                     .arg(files),
                 none, none);
    print(QString());
    print(table.toText());
    print(QStringLiteral("machine: %1").arg(MachineDescription::cpu()));
    print(QStringLiteral("Qt:      %1").arg(MachineDescription::qt()));
    print(
        QStringLiteral("load:    %1 at the start, %2 at the end").arg(loadAtStart, MachineDescription::loadAverage()));
    return 0;
}

ResultTable resultTable(double floor, const CycleFigures &cycle, const CycleFigures &warm,
                        const std::optional<IdleFigures> &idle)
{
    ResultTable table;
    const QString none = QStringLiteral("-");
    table.addRow(QStringLiteral("reduced decode floor (djpeg -scale 1/8), CPU"), milliseconds(floor), none, none);
    addCpuRow(table, QStringLiteral("CPU per displayed photo, cold start"), floor, cycle.cpuSecondsPerPhoto,
              kColdCpuRatioTarget);
    addCpuRow(table, QStringLiteral("CPU per displayed photo, second start"), floor, warm.cpuSecondsPerPhoto,
              kWarmCpuRatioTarget);

    const QString target = QStringLiteral("<= %1 ms").arg(kUserInterfaceTargetMs);
    if (cycle.userInterfaceMeanMicroseconds && cycle.userInterfaceMaxMicroseconds) {
        const double mean = *cycle.userInterfaceMeanMicroseconds / 1000;
        const double longest = double(*cycle.userInterfaceMaxMicroseconds) / 1000;
        table.addRow(QStringLiteral("UI thread time per tick, mean"), QStringLiteral("%1 ms").arg(mean, 0, 'f', 2),
                     target, verdict(mean <= kUserInterfaceTargetMs));
        table.addRow(QStringLiteral("UI thread time per tick, max"), QStringLiteral("%1 ms").arg(longest, 0, 'f', 2),
                     target, verdict(longest <= kUserInterfaceTargetMs));
    } else {
        const QString unlogged = QStringLiteral("not logged by this build");
        table.addRow(QStringLiteral("UI thread time per tick, mean"), unlogged, target, QStringLiteral("unknown"));
        table.addRow(QStringLiteral("UI thread time per tick, max"), unlogged, target, QStringLiteral("unknown"));
    }
    table.addRow(QStringLiteral("UI thread CPU per displayed photo"),
                 milliseconds(cycle.userInterfaceCpuSecondsPerPhoto), none, none);

    addPeakRow(table, QStringLiteral("peak memory (VmHWM), cold start"), cycle.peakKilobytes);
    addPeakRow(table, QStringLiteral("peak memory (VmHWM), second start"), warm.peakKilobytes);

    const QString idleFigure = QStringLiteral("idle CPU, Interval=60, 40 s window");
    if (idle) {
        table.addRow(idleFigure,
                     QStringLiteral("%1 s (%2 clock ticks)")
                         .arg(double(idle->cpuTicks) / double(ProcessUsage::ticksPerSecond()), 0, 'f', 2)
                         .arg(idle->cpuTicks),
                     QStringLiteral("0"), verdict(idle->cpuTicks == 0));
    } else {
        table.addRow(idleFigure, QStringLiteral("not run (--quick)"), QStringLiteral("0"), none);
    }
    return table;
}

int run(bool quick, const QString &saver)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty())
        throw CannotMeasure{QStringLiteral("djpeg was not found on PATH (Debian: libjpeg-turbo-progs; "
                                           "tools/install-deps.sh installs it)")};
    if (!QFileInfo(saver).isExecutable())
        throw CannotMeasure{QStringLiteral("the saver %1 is not an executable file").arg(saver)};
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        throw CannotMeasure{QStringLiteral("no X server: DISPLAY is not set (bench/run-saver-cycle.sh runs the "
                                           "bench under Xvfb)")};

    const QString loadAtStart = MachineDescription::loadAverage();
    QTemporaryDir root;
    if (!root.isValid())
        throw CannotMeasure{QStringLiteral("no temporary directory: %1").arg(root.errorString())};
    // The captions come from the directory named draviks, as in the collection.
    const QString photoDir = root.filePath(QStringLiteral("draviks")) + u'/';
    print(QStringLiteral("photos in %1 (JPEG quality %2):").arg(photoDir).arg(kJpegQuality));
    const QStringList photos = writePhotos(photoDir);

    const double floor = floorCpuSeconds(djpeg, photos);
    print(QStringLiteral("floor: %1 CPU per djpeg -scale 1/8 decode, mean of %2 runs")
              .arg(milliseconds(floor))
              .arg(kFloorRunsPerPhoto * photos.size()));

    const SaverSetup setup(saver, photoDir);
    print(QStringLiteral("cycle run, cold start (empty rendition cache): %1 with Interval=1, %2 ticks (two cycles)")
              .arg(saver)
              .arg(SaverMeasurements::kMeasuredTicks));
    const CycleFigures cycle = SaverMeasurements::measureCycle(setup);
    print(cycle.ticksLogged
              ? QStringLiteral("  ticks: counted from the saver's dravik.timing lines")
              : QStringLiteral("  ticks: this build logs no dravik.timing lines; timed by the clock instead "
                               "(%1 s at Interval=1)")
                    .arg(SaverMeasurements::kMeasuredTicks));
    printNotes(cycle.notes);
    print(QStringLiteral("cycle run, second start (the cache the cold start left)"));
    const CycleFigures warm = SaverMeasurements::measureCycle(setup);
    printNotes(warm.notes);

    std::optional<IdleFigures> idle;
    if (!quick) {
        print(QStringLiteral("idle run: Interval=60, CPU from 10 s to 50 s after the start"));
        idle = SaverMeasurements::measureIdle(setup);
        printNotes(idle->notes);
    }

    print(QString());
    print(resultTable(floor, cycle, warm, idle).toText());
    print(QStringLiteral("machine: %1").arg(MachineDescription::cpu()));
    print(QStringLiteral("kernel:  %1").arg(MachineDescription::kernel()));
    print(QStringLiteral("Qt:      %1").arg(MachineDescription::qt()));
    print(
        QStringLiteral("load:    %1 at the start, %2 at the end").arg(loadAtStart, MachineDescription::loadAverage()));
    print(QStringLiteral("(MB of memory: 1024 kB, as the kernel counts; MB of files: 10^6 bytes)"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("CPU, user-interface thread time and memory of the saver while "
                                                    "it cycles through four 24-megapixel photos, and while it idles."));
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("Leave out the idle run (50 s)."));
    const QCommandLineOption saver(QStringLiteral("saver"), QStringLiteral("The saver program to measure."),
                                   QStringLiteral("path"), QStringLiteral(DRAVIK_BINARY));
    const QCommandLineOption collection(QStringLiteral("collection"),
                                        QStringLiteral("Measure one pass over this many photos instead."),
                                        QStringLiteral("photos"));
    parser.addOption(quick);
    parser.addOption(saver);
    parser.addOption(collection);
    parser.process(application);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "bench_saver_cycle: unexpected argument %s; see --help\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 1;
    }

    QElapsedTimer total;
    total.start();
    try {
        const int photos = parser.value(collection).toInt();
        if (parser.isSet(collection) && photos < 2) {
            std::fprintf(stderr, "bench_saver_cycle: --collection needs at least 2 photos\n");
            return 1;
        }
        const int status = parser.isSet(collection) ? runCollection(photos, parser.value(saver))
                                                    : run(parser.isSet(quick), parser.value(saver));
        print(QStringLiteral("bench took %1 s").arg(double(total.elapsed()) / 1000, 0, 'f', 0));
        return status;
    } catch (const CannotMeasure &failure) {
        std::fprintf(stderr, "bench_saver_cycle: cannot measure: %s\n", qPrintable(failure.reason));
        return 1;
    }
}

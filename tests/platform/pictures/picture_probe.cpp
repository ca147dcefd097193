// The picture loader in a process of its own, for the tests that must survive a loader that
// hangs, and for measuring the memory one load takes.
//
//   picture_probe <path> <width> <height> [loads]
//
// Loads the picture at the shown size `loads` times (1 by default) and prints a line for
// each load: "ok <width> <height> <peak KiB>" or "error <number> <peak KiB> <message>".
// The peak is the kernel's VmHWM, the most memory this process has held so far.

#include "platform/files/FileName.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/runtime/RuntimeError.h"

#include "ProcessUsage.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

namespace {

// This process's VmHWM in kB, -1 when it cannot be read.
long peakResidentKilobytes()
{
    return long(ProcessUsage::peakResidentKilobytes(QCoreApplication::applicationPid()).value_or(-1));
}

void loadOnce(const QString &path, const QSize &shownSize)
{
    try {
        const QImage picture = LoadPicture(path, shownSize);
        std::printf("ok %d %d %ld\n", picture.width(), picture.height(), peakResidentKilobytes());
    } catch (const RuntimeError &error) {
        std::printf("error %d %ld %s\n", int(error.number()), peakResidentKilobytes(), error.what());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: picture_probe <path> <width> <height> [loads]\n");
        return 2;
    }
    // The path's own bytes, so names that are not UTF-8 can be probed too.
    const QString path = FileName::fromBytes(argv[1]);
    const QSize shownSize(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt());
    const int loads = argc == 5 ? QByteArray(argv[4]).toInt() : 1;
    for (int i = 0; i < loads; ++i)
        loadOnce(path, shownSize);
    return 0;
}

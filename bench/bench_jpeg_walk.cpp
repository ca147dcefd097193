// What walking a JPEG's markers before its decoding adds to a photo's load: the walk alone
// against the whole LoadPicture at the saver's frame size, for a 24-megapixel camera photo
// coded baseline and progressive.
//
//   bench_jpeg_walk [runs]
//
// Makes its own camera-like photos in a temporary directory. Times are medians of several runs in this
// process after one warm-up, with the file in the page cache.

#include "platform/pictures/JpegStructure.h"
#include "platform/pictures/PictureLoader.h"
#include "saver_cycle/PhotoLikePicture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QSize kPhotoSize(6000, 4000);
const QSize kFrameSize(777, 473);

bool write(const QImage &image, const QString &path, bool progressive)
{
    QImageWriter writer(path, "jpg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.setOptimizedWrite(progressive);
    return writer.write(image);
}

double medianMilliseconds(const std::function<bool()> &run, int runs)
{
    run();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool walk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && readJpegStructure(file).has_value();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QTemporaryDir dir;
    const QImage image = makePhotoLikePicture(kPhotoSize, 1);
    std::printf("%-12s %8s %12s %14s %8s\n", "photo", "MB", "walk ms", "LoadPicture ms", "share");
    for (const bool progressive : {false, true}) {
        const QString path = dir.filePath(progressive ? QStringLiteral("p.jpg") : QStringLiteral("b.jpg"));
        if (!dir.isValid() || !write(image, path, progressive)) {
            std::fprintf(stderr, "cannot write the test photo\n");
            return 1;
        }
        const double walkTime = medianMilliseconds([&] { return walk(path); }, runs);
        const double loadTime = medianMilliseconds([&] { return !LoadPicture(path, kFrameSize).isNull(); }, runs);
        if (walkTime < 0 || loadTime < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        std::printf("%-12s %8.1f %12.2f %14.1f %7.1f%%\n", progressive ? "progressive" : "baseline",
                    double(QFileInfo(path).size()) / 1e6, walkTime, loadTime, 100 * walkTime / loadTime);
    }
    return 0;
}

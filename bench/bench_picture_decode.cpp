// Decode time and peak memory of a 24-megapixel camera photo shown in the saver's frame:
// the saver's reduced decode (LoadPicture at the frame's size) against a full decode.
//
//   bench_picture_decode [runs]
//
// Makes its own 6000 × 4000 JPEG in a temporary directory. Time is the median of several
// decodes in this process after one warm-up. Peak memory is measured in a fresh child
// process per mode: the growth of its peak resident set size across one decode, after the
// image plugins are loaded. The peak is the kernel's VmHWM of the child's own address
// space; getrusage's ru_maxrss would not do, since it starts from the parent's peak at the
// fork, and the parent has just drawn a 24-megapixel picture.

#include "platform/pictures/PictureLoader.h"

#include "ProcessUsage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QSize kPhotoSize(6000, 4000);
const QSize kFrameSize(777, 473);

enum class Mode { Scaled, Full };

const char *nameOf(Mode mode)
{
    return mode == Mode::Scaled ? "scaled" : "full";
}

// This process's VmHWM in kB, -1 when it cannot be read.
long peakResidentKilobytes()
{
    return long(ProcessUsage::peakResidentKilobytes(QCoreApplication::applicationPid()).value_or(-1));
}

// A photo-like picture: smooth gradients with fine detail, so the JPEG has the size and
// the decoding work of a real camera photo rather than of a flat colour.
bool writePhoto(const QString &path)
{
    QImage photo(kPhotoSize, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int detail = ((x * 7 + y * 13) ^ (x * y)) & 0x1f;
            line[x] = qRgb((x * 255 / photo.width() + detail) & 0xff, (y * 255 / photo.height() + detail) & 0xff,
                           ((x + y) / 40 + detail * 3) & 0xff);
        }
    }
    QImageWriter writer(path, "jpg");
    writer.setQuality(90);
    return writer.write(photo);
}

QImage decode(Mode mode, const QString &path)
{
    if (mode == Mode::Scaled)
        return LoadPicture(path, kFrameSize);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

double medianMilliseconds(Mode mode, const QString &path, int runs)
{
    decode(mode, path); // warm-up: plugin loading and file cache
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage image = decode(mode, path);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (image.isNull())
            return -1;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Child process: prints "<peak growth KB> <width> <height>".
int measureMemory(Mode mode, const QString &path, const QString &tinyPath)
{
    decode(Mode::Full, tinyPath); // loads the JPEG plugin before the baseline
    const long before = peakResidentKilobytes();
    const QImage image = decode(mode, path);
    const long after = peakResidentKilobytes();
    if (before < 0 || after < 0)
        return 1;
    std::printf("%ld %d %d\n", after - before, image.width(), image.height());
    return image.isNull() ? 1 : 0;
}

long peakGrowthInChild(Mode mode, const QString &path, const QString &tinyPath, QSize *decoded)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), QString::fromLatin1(nameOf(mode)), path, tinyPath});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return -1;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3)
        return -1;
    *decoded = QSize(fields[1].toInt(), fields[2].toInt());
    return fields[0].toLong();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();

    if (arguments.size() == 5 && arguments.at(1) == QStringLiteral("--measure")) {
        const Mode mode = arguments.at(2) == QStringLiteral("scaled") ? Mode::Scaled : Mode::Full;
        return measureMemory(mode, arguments.at(3), arguments.at(4));
    }

    const int runs = arguments.size() > 1 ? std::max(1, arguments.at(1).toInt()) : 7;
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("24mp.jpg"));
    const QString tiny = dir.filePath(QStringLiteral("tiny.jpg"));
    QImage tinyImage(8, 8, QImage::Format_RGB32);
    tinyImage.fill(Qt::gray);
    if (!dir.isValid() || !writePhoto(photo) || !tinyImage.save(tiny, "jpg")) {
        std::fprintf(stderr, "cannot write the test photo\n");
        return 1;
    }
    std::printf("photo: %d x %d JPEG, %.1f MB; frame %d x %d; %d timed runs per mode\n", kPhotoSize.width(),
                kPhotoSize.height(), double(QFileInfo(photo).size()) / 1e6, kFrameSize.width(), kFrameSize.height(),
                runs);
    std::printf("%-8s %-12s %14s %22s\n", "mode", "decoded", "median ms", "peak RSS growth MB");
    for (const Mode mode : {Mode::Scaled, Mode::Full}) {
        QSize decoded;
        const long growth = peakGrowthInChild(mode, photo, tiny, &decoded);
        const double milliseconds = medianMilliseconds(mode, photo, runs);
        if (growth < 0 || milliseconds < 0) {
            std::fprintf(stderr, "%s decode failed\n", nameOf(mode));
            return 1;
        }
        const QString size = QStringLiteral("%1 x %2").arg(decoded.width()).arg(decoded.height());
        std::printf("%-8s %-12s %14.1f %22.1f\n", nameOf(mode), qPrintable(size), milliseconds,
                    double(growth) / 1024.0);
    }
    return 0;
}

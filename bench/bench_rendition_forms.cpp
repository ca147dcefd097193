// The forms a rendition cache entry could take, measured on what the saver really keeps: the
// reduced decode of a 24-megapixel camera-like photo at the 777 × 473 frame. For each form:
// its size, the CPU to make it (encoding and writing the file), the CPU to read it back
// (reading the file and decoding it into a picture), and its difference from the fresh decode
// (PSNR over the red, green and blue channels; "exact" when there is none).
//
//   bench_rendition_forms [photos]
//
// Makes its own photos (3 by default) in a temporary directory, as bench_saver_cycle does.
// Times are the median of several runs per photo, after one warm-up. A JPEG entry is also
// told by how its chroma was sampled (read back from its frame header), since Qt's writer
// offers no setting for it. Last, the CPU of this program's own store and look-up.

#include "platform/files/FileIdentity.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/pictures/RenditionCache.h"
#include "saver_cycle/PhotoLikePicture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include <time.h>

namespace {

const QSize kPhotoSize(6000, 4000);
const QSize kFrameSize(777, 473);
constexpr int kRuns = 9;
constexpr int kFilesBeside = 200;

double threadCpuMs()
{
    timespec now;
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianMs(const std::function<void()> &work)
{
    work();
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const double start = threadCpuMs();
        work();
        times.push_back(threadCpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Over red, green and blue; infinite when the pictures are the same.
double psnr(const QImage &fresh, const QImage &kept)
{
    const QImage a = fresh.convertToFormat(QImage::Format_RGB32);
    const QImage b = kept.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return -1;
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *left = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *right = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const double red = qRed(left[x]) - qRed(right[x]);
            const double green = qGreen(left[x]) - qGreen(right[x]);
            const double blue = qBlue(left[x]) - qBlue(right[x]);
            squares += red * red + green * green + blue * blue;
        }
    }
    if (squares == 0)
        return INFINITY;
    const double meanSquare = squares / (3.0 * a.width() * a.height());
    return 10 * std::log10(255.0 * 255.0 / meanSquare);
}

// "4:4:4", "4:2:0" ... from the first frame header's sampling factors.
QString chromaSampling(const QByteArray &jpeg)
{
    for (qsizetype at = 2; at + 18 < jpeg.size();) {
        if (uchar(jpeg[at]) != 0xff)
            break;
        const uchar marker = uchar(jpeg[at + 1]);
        const int length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
        if (marker >= 0xc0 && marker <= 0xc2 && jpeg[at + 9] == 3) {
            const int luma = uchar(jpeg[at + 11]);
            const int chroma = uchar(jpeg[at + 14]);
            if (luma == chroma)
                return QStringLiteral("4:4:4");
            if ((luma >> 4) == 2 && (luma & 15) == 2)
                return QStringLiteral("4:2:0");
            if ((luma >> 4) == 2 && (luma & 15) == 1)
                return QStringLiteral("4:2:2");
            return QStringLiteral("other");
        }
        at += 2 + length;
    }
    return QStringLiteral("?");
}

struct Form
{
    QString name;
    // The entry's bytes for a picture; empty when this form cannot be written here.
    std::function<QByteArray(const QImage &)> write;
    std::function<QImage(const QByteArray &)> read;
};

QByteArray encoded(const QImage &picture, const char *format, const std::function<void(QImageWriter &)> &set)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    set(writer);
    if (!writer.write(picture))
        return {};
    return buffer.data();
}

QImage decoded(const QByteArray &bytes, const char *format)
{
    QImage picture;
    picture.loadFromData(bytes, format);
    return picture;
}

QByteArray rawBytes(const QImage &picture)
{
    return QByteArray(reinterpret_cast<const char *>(picture.constBits()), picture.sizeInBytes());
}

QImage fromRaw(const QByteArray &bytes, QImage::Format format)
{
    QImage picture(kFrameSize, format);
    if (picture.sizeInBytes() != bytes.size())
        return {};
    std::memcpy(picture.bits(), bytes.constData(), bytes.size());
    return picture;
}

bool jpegWriterSupports(QImageIOHandler::ImageOption option)
{
    QBuffer buffer;
    return QImageWriter(&buffer, "jpg").supportsOption(option);
}

std::vector<Form> forms()
{
    std::vector<Form> all;
    all.push_back({QStringLiteral("raw 32-bit (as decoded)"),
                   [](const QImage &picture) { return rawBytes(picture.convertToFormat(QImage::Format_RGB32)); },
                   [](const QByteArray &bytes) { return fromRaw(bytes, QImage::Format_RGB32); }});
    all.push_back({QStringLiteral("raw 24-bit, widened on read"),
                   [](const QImage &picture) { return rawBytes(picture.convertToFormat(QImage::Format_RGB888)); },
                   [](const QByteArray &bytes) {
                       return fromRaw(bytes, QImage::Format_RGB888).convertToFormat(QImage::Format_RGB32);
                   }});
    // Qt's PNG writer takes its zlib level from the quality: (100 - quality) * 9 / 91.
    for (const auto &[level, quality] : {std::pair(1, 80), std::pair(9, 0)}) {
        all.push_back({QStringLiteral("PNG, zlib level %1").arg(level),
                       [quality](const QImage &picture) {
                           return encoded(picture, "png",
                                          [quality](QImageWriter &writer) { writer.setQuality(quality); });
                       },
                       [](const QByteArray &bytes) { return decoded(bytes, "png"); }});
    }
    if (QImageWriter::supportedImageFormats().contains("webp")) {
        all.push_back({QStringLiteral("WebP lossless"),
                       [](const QImage &picture) {
                           return encoded(picture, "webp", [](QImageWriter &writer) { writer.setQuality(100); });
                       },
                       [](const QByteArray &bytes) { return decoded(bytes, "webp"); }});
    }
    for (const int quality : {95, 98, 100}) {
        all.push_back({QStringLiteral("JPEG quality %1, optimized").arg(quality),
                       [quality](const QImage &picture) {
                           return encoded(picture, "jpg", [quality](QImageWriter &writer) {
                               writer.setQuality(quality);
                               writer.setOptimizedWrite(true);
                           });
                       },
                       [](const QByteArray &bytes) { return decoded(bytes, "jpg"); }});
    }
    return all;
}

void print(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int photoCount = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 3;
    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "bench_rendition_forms: no temporary directory\n");
        return 1;
    }

    std::vector<QImage> renditions;
    for (int index = 0; index < photoCount; ++index) {
        const QString photo = root.filePath(QStringLiteral("photo%1.jpg").arg(index));
        QImageWriter writer(photo, "jpg");
        writer.setQuality(90);
        if (!writer.write(makePhotoLikePicture(kPhotoSize, quint32(index + 1)))) {
            std::fprintf(stderr, "bench_rendition_forms: %s\n", qPrintable(writer.errorString()));
            return 1;
        }
        renditions.push_back(LoadPicture(photo, kFrameSize));
    }
    print(QStringLiteral("%1 photos of %2 x %3 (JPEG quality 90), renditions of %4 x %5 (%6); Qt's JPEG writer "
                         "options: quality %7, optimized %8, progressive %9, sub-type %10")
              .arg(photoCount)
              .arg(kPhotoSize.width())
              .arg(kPhotoSize.height())
              .arg(renditions.front().width())
              .arg(renditions.front().height())
              .arg(renditions.front().format())
              .arg(jpegWriterSupports(QImageIOHandler::Quality))
              .arg(jpegWriterSupports(QImageIOHandler::OptimizedWrite))
              .arg(jpegWriterSupports(QImageIOHandler::ProgressiveScanWrite))
              .arg(jpegWriterSupports(QImageIOHandler::SubType)));
    print(QStringLiteral("%1 | %2 | %3 | %4 | %5")
              .arg(QStringLiteral("form"), -30)
              .arg(QStringLiteral("kB / entry"), 10)
              .arg(QStringLiteral("write ms"), 9)
              .arg(QStringLiteral("read ms"), 8)
              .arg(QStringLiteral("PSNR dB (worst)")));
    for (const Form &form : forms()) {
        double size = 0, writeMs = 0, readMs = 0, worst = INFINITY;
        QString sampling;
        for (std::size_t index = 0; index < renditions.size(); ++index) {
            const QImage &fresh = renditions[index];
            const QString file = root.filePath(QStringLiteral("entry%1").arg(index));
            QByteArray bytes;
            writeMs += medianMs([&] {
                bytes = form.write(fresh);
                QFile out(file);
                if (out.open(QIODevice::WriteOnly))
                    out.write(bytes);
            });
            QImage kept;
            readMs += medianMs([&] {
                QFile in(file);
                kept = in.open(QIODevice::ReadOnly) ? form.read(in.readAll()) : QImage();
            });
            size += double(bytes.size());
            worst = std::min(worst, psnr(fresh, kept));
            if (form.name.startsWith(QStringLiteral("JPEG")))
                sampling = QStringLiteral(", ") + chromaSampling(bytes);
        }
        const double count = double(renditions.size());
        print(QStringLiteral("%1 | %2 | %3 | %4 | %5%6")
                  .arg(form.name, -30)
                  .arg(size / count / 1000, 10, 'f', 0)
                  .arg(writeMs / count, 9, 'f', 2)
                  .arg(readMs / count, 8, 'f', 2)
                  .arg(std::isinf(worst) ? QStringLiteral("exact") : QString::number(worst, 'f', 1))
                  .arg(sampling));
    }

    // This program's own cache, as the saver calls it, in a folder that already holds as
    // many files as a 200-photo collection leaves (each store lists them).
    const QString folder = root.filePath(QStringLiteral("cache"));
    const RenditionCache cache(folder);
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (int index = 0; index < kFilesBeside; ++index) {
        QFile other(folder + QStringLiteral("/other%1").arg(index));
        if (other.open(QIODevice::WriteOnly))
            other.write("x");
    }
    const LoadStop stop(kPictureLoadTimeLimit);
    double storeMs = 0, lookUpMs = 0;
    for (std::size_t index = 0; index < renditions.size(); ++index) {
        const QString photo = root.filePath(QStringLiteral("photo%1.jpg").arg(index));
        const RenditionKey key{photo, IdentityOfFile(photo).value_or(FileIdentity{}), kFrameSize};
        storeMs += medianMs([&] { cache.store(key, renditions[index]); });
        lookUpMs += medianMs([&] {
            if (cache.lookUp(key, stop) != renditions[index])
                std::fprintf(stderr, "bench_rendition_forms: the cache did not give the picture back\n");
        });
    }
    const double count = double(renditions.size());
    print(QStringLiteral("RenditionCache (24-bit lines and a checksum; %1 files beside): store %2 ms, look-up %3 ms")
              .arg(kFilesBeside)
              .arg(storeMs / count, 0, 'f', 2)
              .arg(lookUpMs / count, 0, 'f', 2));
    return 0;
}

#include "platform/pictures/JpegDecodeCost.h"

namespace {

// Qt decodes a JPEG to 32-bit pixels (grey ones to 8-bit; counted as 32 all the same).
constexpr qint64 kBytesPerPixel = 4;
// Qt keeps a comment ahead of the frame about five times over (the decoder's copy, the text
// and its key), Exif and ICC segments about twice: measured, and rounded up.
constexpr qint64 kKeptSegmentCost = 5;

int ceilDivide(qint64 value, qint64 divisor)
{
    return int((value + divisor - 1) / divisor);
}

qint64 pixelBytes(const QSize &size)
{
    return qint64(size.width()) * size.height() * kBytesPerPixel;
}

} // namespace

QSize jpegDecodeSize(const QSize &stored, const QSize &shown)
{
    // An empty stored size leaves nothing to reduce (and would divide by 0 below).
    if (stored.isEmpty() || shown.isEmpty())
        return stored;
    for (const int denominator : {8, 4, 2}) {
        const QSize rounded(ceilDivide(stored.width(), denominator), ceilDivide(stored.height(), denominator));
        const QSize reduced =
            stored.width() / rounded.width() >= denominator && stored.height() / rounded.height() >= denominator
            ? rounded
            : QSize(stored.width() / denominator, stored.height() / denominator);
        if (qint64(reduced.width()) * 16 >= qint64(shown.width()) * 15
            && qint64(reduced.height()) * 16 >= qint64(shown.height()) * 15)
            return reduced;
    }
    return stored;
}

qint64 jpegDecodeBytes(const JpegStructure &jpeg, const QSize &stored, const QSize &scaled)
{
    const QSize shown = scaled.isValid() && !scaled.isEmpty() ? scaled : stored;
    return wholeImageCoefficientBytes(jpeg) + pixelBytes(jpegDecodeSize(stored, scaled)) + 2 * pixelBytes(shown)
        + kKeptSegmentCost * jpeg.keptSegmentBytes;
}

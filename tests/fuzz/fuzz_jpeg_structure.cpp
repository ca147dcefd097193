// The JPEG structure walk and the coefficient memory it tells, which decide whether a
// picture is decoded at all.
#include "FuzzCheck.h"
#include "platform/pictures/JpegStructure.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>

namespace {

// A pipe or a socket: the walk cannot seek, so it reads what it skips.
class Pipe : public QIODevice
{
public:
    explicit Pipe(QByteArray bytes) : m_bytes(std::move(bytes)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, m_bytes.size() - m_at);
        std::memcpy(data, m_bytes.constData() + m_at, size_t(count));
        m_at += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

std::optional<JpegStructure> walk(QByteArray bytes, bool sequential)
{
    if (sequential) {
        Pipe pipe(bytes);
        return readJpegStructure(pipe);
    }
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return readJpegStructure(file);
}

bool same(const JpegStructure &left, const JpegStructure &right)
{
    if (left.components.size() != right.components.size())
        return false;
    for (qsizetype i = 0; i < left.components.size(); ++i) {
        if (left.components[i].horizontal != right.components[i].horizontal
            || left.components[i].vertical != right.components[i].vertical)
            return false;
    }
    return left.size == right.size && left.progressive == right.progressive
        && left.firstScanComponents == right.firstScanComponents && left.keptSegmentBytes == right.keptSegmentBytes
        && left.keptSegments == right.keptSegments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size).toByteArray();
    const std::optional<JpegStructure> jpeg = walk(bytes, false);
    require(jpeg.has_value() == bytes.startsWith("\xff\xd8"), "a JPEG is what begins with SOI");
    if (!jpeg)
        return 0;

    const std::optional<JpegStructure> piped = walk(bytes, true);
    require(piped && same(*jpeg, *piped), "a file and a pipe of the same bytes walk alike");

    // An empty comment (a segment of length 2) right after SOI is one more kept segment and
    // changes nothing else.
    const std::optional<JpegStructure> commented =
        walk(bytes.left(2) + QByteArray("\xff\xfe\x00\x02", 4) + bytes.mid(2), false);
    require(commented.has_value(), "a JPEG with a comment is a JPEG");
    JpegStructure expected = *jpeg;
    ++expected.keptSegments;
    require(same(*commented, expected), "an empty segment is skipped");

    const qint64 coefficients = wholeImageCoefficientBytes(*jpeg);
    require(coefficients >= 0, "coefficients take no negative memory");
    require(holdsWholeImageCoefficients(*jpeg) || coefficients == 0, "coefficients not held take no memory");
    require(jpeg->keptSegmentBytes >= 0 && jpeg->keptSegments >= 0, "kept segments are counted up");
    return 0;
}

// A rendition cache entry: any bytes in the cache folder give the picture of the key's shown
// size or "not cached". And what the cache writes for a picture reads back as that picture.
#include "FuzzCheck.h"
#include "platform/pictures/RenditionEntry.h"

#include <QImage>

#include <algorithm>

namespace {

const RenditionKey kKey{QStringLiteral("/media/photos/draviks/67A01.jpg"), FileIdentity{2049, 131, 6400, 1, 2},
                        QSize(23, 14)};

// The fuzzer's bytes as the pixels of a picture of the key's size, opaque or not as the first
// byte says, in the forms the decode worker hands to the cache.
QImage pictureFrom(QByteArrayView bytes)
{
    const bool opaque = !bytes.isEmpty() && (bytes.front() & 1);
    QImage picture(kKey.shownSize, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    const auto byteAt = [bytes](qsizetype at) { return bytes.isEmpty() ? 0 : uchar(bytes[at % bytes.size()]); };
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const qsizetype at = (qsizetype(y) * picture.width() + x) * 4;
            const int alpha = opaque ? 255 : byteAt(at + 3);
            picture.setPixel(x, y, qRgba(byteAt(at), byteAt(at + 1), byteAt(at + 2), alpha));
        }
    }
    return picture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = bytesOf(data, size);

    const std::optional<QImage> read = RenditionFromEntry(bytes, kKey);
    require(!read || read->size() == kKey.shownSize, "an entry gives a picture of the key's shown size or none");
    require(!read || qint64(size) <= RenditionEntryMaxSize(kKey), "no entry longer than the longest is read");
    if (const std::optional<RenditionSource> source =
            RenditionSourceOfEntry(bytes.first(std::min<qsizetype>(bytes.size(), RenditionEntrySourceBytes()))))
        require(!read || source->identity == kKey.source, "an entry read for a key names the key's source");

    const QImage picture = pictureFrom(bytes);
    const QByteArray entry = RenditionEntryFor(kKey, picture);
    require(!entry.isEmpty(), "a picture of the key's size is kept");
    const std::optional<QImage> back = RenditionFromEntry(entry, kKey);
    require(back && back->convertToFormat(picture.format()) == picture, "a kept picture reads back as it was");
    return 0;
}

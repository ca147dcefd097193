#include "platform/pictures/RenditionEntry.h"

#include "platform/files/FileName.h"
#include "platform/pictures/PictureLoader.h"

#include <cstring>
#include <type_traits>

namespace {

struct EntryHeader
{
    char magic[8];
    quint32 version;
    // The format of the picture given back, and of the lines as kept.
    quint32 format;
    quint32 storedFormat;
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
    quint32 pathLength;
    quint32 reserved;
    quint64 device;
    quint64 inode;
    qint64 size;
    qint64 modifiedNs;
    qint64 changedNs;
    // Over the header with this field zero, then the path and the lines.
    quint64 checksum;
};
static_assert(std::is_trivially_copyable_v<EntryHeader> && sizeof(EntryHeader) == 88);

constexpr char kMagic[8] = {'D', 'R', 'V', 'K', 'R', 'E', 'N', 'D'};
// Read as a native number: a folder carried to a machine of the other byte order misses.
constexpr quint32 kVersion = 2;
constexpr qint64 kMaxPathLength = 4096;
// The most bytes a pixel takes in any format Qt has (four 32-bit floats).
constexpr qint64 kMaxBytesPerPixel = 16;

// Finds any change of the bytes, as a damaged disc or a cut-short write leaves them; it does
// not stand up to a forger, who would have to be the user already to write the folder.
class Checksum
{
public:
    void add(QByteArrayView bytes)
    {
        const char *data = bytes.data();
        qsizetype left = bytes.size();
        for (; left >= 8; left -= 8, data += 8) {
            quint64 word;
            std::memcpy(&word, data, 8);
            mix(word);
        }
        quint64 tail = 0;
        std::memcpy(&tail, data, size_t(left));
        mix(tail ^ (quint64(left) << 56));
    }
    quint64 value() const { return m_state; }

private:
    // Each step is a bijection of the state, so a change of one word always changes the result.
    void mix(quint64 word)
    {
        m_state ^= word;
        m_state = (m_state << 29 | m_state >> 35) * 0x9e3779b97f4a7c15ULL;
    }

    quint64 m_state = 0x6a09e667f3bcc908ULL;
};

bool isPlainFormat(quint32 format)
{
    // Formats with a colour table would need it kept too; the loader gives them rarely.
    return format > QImage::Format_Indexed8 && format < QImage::NImageFormats;
}

// Lossless for the formats left out: their colours are all 32-bit colours.
QImage inPlainFormat(const QImage &picture)
{
    if (isPlainFormat(picture.format()))
        return picture;
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// The lines an opaque 32-bit picture is kept in: its fourth byte is always 0xff.
QImage::Format storedFormatOf(QImage::Format format)
{
    return format == QImage::Format_RGB32 ? QImage::Format_RGB888 : format;
}

// The line length QImage gives a picture of this format and width, as it computes it.
qint64 bytesPerLineOf(quint32 format, quint32 width)
{
    const qint64 bits = qint64(QImage::toPixelFormat(QImage::Format(format)).bitsPerPixel()) * width;
    return ((bits + 31) >> 5) << 2;
}

quint64 checksumOf(EntryHeader header, QByteArrayView rest)
{
    header.checksum = 0;
    Checksum sum;
    sum.add(QByteArrayView(reinterpret_cast<const char *>(&header), sizeof header));
    sum.add(rest);
    return sum.value();
}

bool identifiesKey(const EntryHeader &header, const FileIdentity &source)
{
    return header.device == source.device && header.inode == source.inode && header.size == source.size
        && header.modifiedNs == source.modifiedNs && header.changedNs == source.changedNs;
}

std::optional<EntryHeader> headerOf(QByteArrayView entry)
{
    EntryHeader header;
    if (entry.size() < qsizetype(sizeof header))
        return std::nullopt;
    std::memcpy(&header, entry.data(), sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.version != kVersion
        || header.pathLength > kMaxPathLength)
        return std::nullopt;
    return header;
}

bool isValidShownSize(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

} // namespace

QByteArray RenditionEntryFor(const RenditionKey &key, const QImage &picture)
{
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    if (picture.isNull() || picture.size() != key.shownSize || !isValidShownSize(key.shownSize) || !path
        || path->size() > kMaxPathLength)
        return {};
    const QImage plain = inPlainFormat(picture);
    const QImage stored = plain.convertToFormat(storedFormatOf(plain.format()));

    EntryHeader header = {};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kVersion;
    header.format = quint32(plain.format());
    header.storedFormat = quint32(stored.format());
    header.width = quint32(stored.width());
    header.height = quint32(stored.height());
    header.bytesPerLine = quint32(stored.bytesPerLine());
    header.pathLength = quint32(path->size());
    header.device = key.source.device;
    header.inode = key.source.inode;
    header.size = key.source.size;
    header.modifiedNs = key.source.modifiedNs;
    header.changedNs = key.source.changedNs;

    QByteArray entry(qsizetype(sizeof header) + path->size() + stored.sizeInBytes(), Qt::Uninitialized);
    char *rest = entry.data() + sizeof header;
    std::memcpy(rest, path->constData(), size_t(path->size()));
    std::memcpy(rest + path->size(), stored.constBits(), size_t(stored.sizeInBytes()));
    header.checksum = checksumOf(header, QByteArrayView(rest, entry.size() - qsizetype(sizeof header)));
    std::memcpy(entry.data(), &header, sizeof header);
    return entry;
}

std::optional<QImage> RenditionFromEntry(QByteArrayView entry, const RenditionKey &key)
{
    const std::optional<EntryHeader> header = headerOf(entry);
    const std::optional<QByteArray> path = FileName::toBytes(key.sourcePath);
    if (!header || !path || !isValidShownSize(key.shownSize) || !identifiesKey(*header, key.source)
        || header->width != quint32(key.shownSize.width()) || header->height != quint32(key.shownSize.height())
        || header->pathLength != quint32(path->size()) || header->reserved != 0)
        return std::nullopt;
    const bool widened = header->format != header->storedFormat;
    if (!isPlainFormat(header->format) || !isPlainFormat(header->storedFormat)
        || (widened && (header->format != QImage::Format_RGB32 || header->storedFormat != QImage::Format_RGB888)))
        return std::nullopt;
    // Every size from the header checked against the key, the decode's limits and the entry's
    // own length before anything is allocated.
    const qint64 lineBytes = bytesPerLineOf(header->storedFormat, header->width);
    const qint64 pixelBytes = lineBytes * header->height;
    if (header->bytesPerLine != lineBytes || pixelBytes > kMaxDecodeBytes
        || qint64(entry.size()) != qint64(sizeof(EntryHeader)) + header->pathLength + pixelBytes)
        return std::nullopt;
    const QByteArrayView rest = entry.sliced(sizeof(EntryHeader));
    if (rest.first(header->pathLength) != QByteArrayView(*path) || checksumOf(*header, rest) != header->checksum)
        return std::nullopt;

    QImage stored(int(header->width), int(header->height), QImage::Format(header->storedFormat));
    if (stored.isNull() || stored.sizeInBytes() != pixelBytes)
        return std::nullopt;
    std::memcpy(stored.bits(), rest.data() + header->pathLength, size_t(pixelBytes));
    if (widened)
        return stored.convertToFormat(QImage::Format_RGB32);
    return stored;
}

qint64 RenditionEntryMaxSize(const RenditionKey &key)
{
    if (!isValidShownSize(key.shownSize))
        return 0;
    const qint64 pixelBytes = (qint64(key.shownSize.width()) * kMaxBytesPerPixel + 3) / 4 * 4 * key.shownSize.height();
    return qint64(sizeof(EntryHeader)) + kMaxPathLength + std::min(pixelBytes, kMaxDecodeBytes);
}

std::optional<RenditionSource> RenditionSourceOfEntry(QByteArrayView head)
{
    const std::optional<EntryHeader> header = headerOf(head);
    if (!header || head.size() < qsizetype(sizeof(EntryHeader) + header->pathLength))
        return std::nullopt;
    return RenditionSource{head.sliced(sizeof(EntryHeader), header->pathLength).toByteArray(),
                           {header->device, header->inode, header->size, header->modifiedNs, header->changedNs}};
}

qint64 RenditionEntrySourceBytes()
{
    return qint64(sizeof(EntryHeader)) + kMaxPathLength;
}

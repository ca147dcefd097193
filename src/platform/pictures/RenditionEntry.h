#pragma once

#include "platform/files/FileIdentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <optional>

// What a rendition was made from: the photo's path (in FileName's lossless form), the
// identity its file had when it was decoded, and the device pixels it is shown at. The
// device pixel size is the whole of what the pixels depend on: the same element at another
// device pixel ratio has another device pixel size, so another key.
struct RenditionKey
{
    QString sourcePath;
    FileIdentity source;
    QSize shownSize;
};

// One entry of the rendition cache as bytes: an 88-byte header (magic, version, the picture's
// formats, width, height and bytes per line, the source's path length and identity, a
// checksum), the source path's bytes, then the picture's lines. An opaque 32-bit picture is
// kept as 24-bit lines and widened again when read: a quarter less to write and keep, for the
// same pixels. The checksum covers the header, the path and every line.

// The entry for picture under key; empty when it cannot be kept (no picture, a picture not of
// the key's shown size, a path that cannot be named in bytes or is too long).
QByteArray RenditionEntryFor(const RenditionKey &key, const QImage &picture);

// The picture an entry holds for key, of exactly key's shown size; nothing ("not cached")
// for any other bytes: too short or too long, another magic, version or key, a claim beyond
// the decode's limits, a checksum that does not match. Total over any bytes, and allocates
// nothing before every size in the header has been checked against key and the entry.
std::optional<QImage> RenditionFromEntry(QByteArrayView entry, const RenditionKey &key);

// The longest an entry for key can be: a file longer than this is not worth reading.
qint64 RenditionEntryMaxSize(const RenditionKey &key);

// Where an entry's picture came from, from its first bytes (the header and the path, at most
// RenditionEntrySourceBytes of them); nothing when they are not the start of an entry.
struct RenditionSource
{
    QByteArray path;
    FileIdentity identity;
};
std::optional<RenditionSource> RenditionSourceOfEntry(QByteArrayView head);
qint64 RenditionEntrySourceBytes();

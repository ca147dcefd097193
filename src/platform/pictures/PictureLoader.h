#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>

class LoadStop;

// Picture loading for an image element that stretches its picture over shownSize device
// pixels. Reads every format Qt's image plugins read (for animations, the first frame),
// turns camera photos upright by their EXIF orientation and returns the picture at exactly
// shownSize. A format that can decode at a reduced scale (JPEG) does so, so a large photo
// is never held at full size. The path is text in FileName's lossless form: the file is
// opened by the bytes it stands for, so a name that is not UTF-8 opens too.
//
// Raises RuntimeError(FileNotFound) when there is no regular file at path (a directory, a
// FIFO or a device is not a photo, whatever it is named; it is never read and never waited
// for), and RuntimeError(InvalidPicture) when the file is not a picture, is damaged, is in a
// format whose reader cannot tell its size before decoding it (MNG, ICNS), claims no pixels
// or more than kMaxPicturePixels, or is a JPEG without a frame size or whose decoding would
// take more than kMaxDecodeBytes or keep more than kMaxJpegKeptSegments segments; nothing
// large is allocated for any of these. The decoded picture of other formats is bounded by
// Qt's own allocation limit (QImageReader::allocationLimit, 128 MB unless changed), which
// every other reader installed allocates within.
QImage LoadPicture(const QString &path, const QSize &shownSize);

// The same load, ended early by stop: then it raises RuntimeError(InvalidPicture) saying that
// the load was stopped or took longer than the time limit, whatever the file holds.
QImage LoadPicture(const QString &path, const QSize &shownSize, const LoadStop &stop);

// How long a photo's decode may take before it counts as one that cannot be shown: far
// above any honest photo's (a 24-megapixel one takes a tenth of a second).
inline constexpr std::chrono::seconds kPictureLoadTimeLimit{5};

// Well above any camera photo (a 60-megapixel sensor gives 9504 × 6336 pixels).
inline constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;

// The most memory the decoding of one JPEG may take. A progressive file (or one coded a
// component at a time) holds the coefficients of the whole image whatever size it is shown
// at: 72 MB for a 24-megapixel camera photo in 4:2:0, 181 MB for a 60-megapixel one, but
// 403 MB for 64 megapixels in 4:4:4. With this limit and the program's own memory, the peak
// stays under 256 MB.
inline constexpr qint64 kMaxDecodeBytes = qint64(192) * 1024 * 1024;

// The decoder keeps every comment, Exif/XMP and ICC segment in a list that it walks to the
// end to add each one, so many thousands of them take minutes. Photos carry a handful (an
// ICC profile at most 255 chunks).
inline constexpr int kMaxJpegKeptSegments = 1024;

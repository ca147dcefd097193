#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>

class LoadStop;

// Loads a picture for an image element that stretches it over shownSize device pixels: the
// first frame of any format Qt's image plugins read, turned upright by its EXIF orientation,
// at exactly shownSize; a JPEG is decoded at a reduced scale where it can be. path is in
// FileName's lossless form, so a name that is not UTF-8 opens too.
//
// Raises RuntimeError(FileNotFound) when path names no regular file, which is then neither read
// nor waited for, and RuntimeError(InvalidPicture) when the file is no picture, is damaged, does
// not tell its size before it is decoded, or is beyond the limits below or Qt's allocation limit
// (QImageReader::allocationLimit); nothing large is allocated before that is known.
QImage LoadPicture(const QString &path, const QSize &shownSize);

// The same load, ended early by stop: then it raises RuntimeError(InvalidPicture) saying that
// the load was stopped or took longer than the time limit, whatever the file holds.
QImage LoadPicture(const QString &path, const QSize &shownSize, const LoadStop &stop);

// How long a photo's decode may take before it counts as one that cannot be shown: far
// above any honest photo's (a 24-megapixel one takes a tenth of a second).
inline constexpr std::chrono::seconds kPictureLoadTimeLimit{5};

// Well above any camera photo (a 60-megapixel sensor gives 9504 × 6336 pixels).
inline constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;

// The most memory the decoding of one JPEG may take: a progressive one holds the coefficients
// of the whole image whatever size it is shown at (181 MB for a 60-megapixel photo in 4:2:0).
// With the program's own memory, the peak stays under 256 MB.
inline constexpr qint64 kMaxDecodeBytes = qint64(192) * 1024 * 1024;

// The decoder keeps every comment, Exif/XMP and ICC segment in a list that it walks to the
// end to add each one, so many thousands of them take minutes. Photos carry a handful (an
// ICC profile at most 255 chunks).
inline constexpr int kMaxJpegKeptSegments = 1024;

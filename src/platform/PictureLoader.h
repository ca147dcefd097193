#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Picture loading for an image element that stretches its picture over shownSize device
// pixels. Reads every format Qt's image plugins read (for animations, the first frame),
// turns camera photos upright by their EXIF orientation and returns the picture at exactly
// shownSize. A format that can decode at a reduced scale (JPEG) does so, so a large photo
// is never held at full size. The path is text in FileName's lossless form: the file is
// opened by the bytes it stands for, so a name that is not UTF-8 opens too.
//
// Raises RuntimeError(FileNotFound) when there is no regular file at path (a directory, a
// FIFO or a device is not a photo, whatever it is named; it is never read and never waited
// for), and
// RuntimeError(InvalidPicture) when the file is not a picture, is damaged, or claims more
// than kMaxPicturePixels pixels; nothing large is allocated for such a claim.
QImage LoadPicture(const QString &path, const QSize &shownSize);

// Well above any camera photo (a 60-megapixel sensor gives 9504 × 6336 pixels).
inline constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;

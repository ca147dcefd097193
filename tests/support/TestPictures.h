#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSize>

// Picture files made on the spot for the saver's tests: solid colours, so a test can tell
// which file is shown by one pixel, and a few deliberately odd files.
namespace TestPictures {

// Encodes a picture of one colour in the format ("jpg", "png", "bmp", "webp", "tiff", ...)
// by Qt's own writers; empty when the format cannot be written.
QByteArray Solid(const QColor &color, const char *format, QSize size = QSize(64, 48));
// A progressive JPEG of one colour by Qt's writer (which subsamples the colour 2 × 2).
QByteArray ProgressiveJpeg(const QColor &color, QSize size);
// The left half in one colour, the right half in another, as JPEG.
QByteArray SplitJpeg(const QColor &left, const QColor &right, QSize size);
// How a hand-made JPEG codes its picture: one interleaved sequential scan, one sequential
// scan per component, or progressively (a DC scan, then an AC scan per component).
enum class JpegScans { Sequential, SequentialComponentByComponent, Progressive };
// A JPEG of one colour (Y, Cb, Cr) by our own encoder, for what Qt's writer cannot make: it
// always subsamples the colour 2 × 2 and interleaves. sampling gives each component's
// horizontal and vertical sampling factors (1 to 4), 4:4:4 by default.
QByteArray HandMadeJpeg(const QColor &color, QSize size, JpegScans scans,
                        const QList<QSize> &sampling = {QSize(1, 1), QSize(1, 1), QSize(1, 1)});
// A GIF with one frame per colour, written by hand since Qt has no GIF writer.
QByteArray SolidGif(const QList<QColor> &frames, QSize size = QSize(16, 8));
// The left half in the colour, its alpha included, the right half wholly transparent, in the
// format ("png", "webp", or "gif" by hand, where the left half is opaque).
QByteArray HalfTransparent(const QColor &left, const char *format, QSize size = QSize(64, 48));
// The JPEG with an EXIF orientation tag (1 upright, 6 turned 90° clockwise, ...).
QByteArray WithExifOrientation(const QByteArray &jpeg, quint16 orientation);
// The JPEG whose frame header claims other dimensions than its data has.
QByteArray WithClaimedJpegSize(const QByteArray &jpeg, quint16 width, quint16 height);
// A PNG header alone, claiming the dimensions.
QByteArray PngHeaderClaiming(quint32 width, quint32 height);
// A whole MNG of a few bytes: a frame of the dimensions (MHDR) holding one grey 1 × 1 PNG.
QByteArray MngClaiming(quint32 width, quint32 height);

} // namespace TestPictures

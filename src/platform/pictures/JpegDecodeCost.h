#pragma once

#include "platform/pictures/JpegStructure.h"

#include <QSize>

// What decoding a JPEG to a given size takes, told from its structure before any of it is
// decoded.

// The size to ask Qt's JPEG reader for. It decodes at 1/8, 1/4 or 1/2 of the stored size,
// the smallest scale that still covers the size asked for (else in full), and scales smoothly
// from there. Asked for a reduced size itself, it takes the next smaller scale where that comes
// within 1/16 of the shown size each way: a 24-megapixel photo shown 777 pixels wide is decoded
// at 750 rather than 1500, a sixth less work for a difference nobody sees; the last step to the
// shown size is then ours. The size is the one libjpeg gives for the scale (rounded up) where
// Qt's own choice of scale, by whole quotients, still comes to it.
QSize jpegDecodeSize(const QSize &stored, const QSize &shown);

// The peak memory of decoding the JPEG to scaled (its stored size when invalid): the whole
// image's coefficients where the decoder holds them, the picture at the reduced size, its
// scaled and turned copies, and the segments the decoder keeps.
qint64 jpegDecodeBytes(const JpegStructure &jpeg, const QSize &stored, const QSize &scaled);

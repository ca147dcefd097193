#pragma once

#include <QIODevice>
#include <QList>
#include <QSize>

#include <optional>

// What a JPEG file's markers say about the memory its decoding takes, read from the marker
// segments alone, without decoding anything.
struct JpegStructure
{
    struct Component
    {
        int horizontal; // sampling factors, 1 to 4 in a valid file
        int vertical;
    };

    // From the first frame header (SOF0..SOF15) that holds all its components; invalid and no
    // components without one. Either side may be 0 in a hostile file.
    QSize size;
    QList<Component> components;
    bool progressive = false; // SOF2, SOF6, SOF10 or SOF14
    // How many components the first scan codes; 0 when no scan header was found.
    int firstScanComponents = 0;
    // The comment (COM), Exif/XMP (APP1) and ICC (APP2) segments up to the end of the image:
    // the decoder keeps every one of them in memory, whatever their number.
    qint64 keptSegmentBytes = 0;
    qint64 keptSegments = 0;
};

// Whether the device, at its current position, holds a JPEG (it begins with SOI). Reads
// nothing off the device.
bool isJpeg(QIODevice &device);

// Walks the markers from the device's current position to the end of the image (EOI) or of
// the device: every segment, and through the entropy-coded data of every scan. A damaged
// file yields what was read before the damage; telling it damaged is the decoder's part.
// Empty when the device does not hold a JPEG.
std::optional<JpegStructure> readJpegStructure(QIODevice &device);

// Whether the decoder holds every DCT coefficient of the whole image until the last scan:
// for a progressive file, and for a sequential one whose first scan leaves components out
// for later scans.
bool holdsWholeImageCoefficients(const JpegStructure &jpeg);

// The bytes those coefficients take, 0 when they are not held: per component, its size in
// 8 × 8 blocks, padded to whole MCUs (a multiple of its sampling factors), 64 coefficients
// of 2 bytes a block.
qint64 wholeImageCoefficientBytes(const JpegStructure &jpeg);

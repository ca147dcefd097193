#pragma once

#include <QImage>
#include <QString>

// Each function writes one picture file (creating its folder when needed) and then reads the
// file back, so that a picture that a reader would not see as intended is never left behind
// silently. Any failure throws std::runtime_error naming the file.

void writeJpeg(const QImage &image, const QString &path, int quality);
void writePng(const QImage &image, const QString &path);

// An uncompressed 24-bit bitmap: a 54-byte header, then rows of three bytes a pixel, each row
// padded to a multiple of four bytes.
void writeBmp24(const QImage &image, const QString &path);

// A 32 × 32, 16-colour icon file; see IconFile.h for what the image may contain.
void writeIcon16(const QImage &image, const QString &path);

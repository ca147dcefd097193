#pragma once

#include <QByteArray>
#include <QImage>

// Encodes a 32 × 32 image as an icon file holding one 16-colour (4 bits per pixel) image:
// 6-byte directory, one 16-byte entry, a 40-byte bitmap header, the 16-colour palette, the
// colour rows and the transparency mask, 766 bytes in all.
// Pixels whose alpha is below one half become transparent; every other pixel must be exactly
// one of the palette colours (IconPalette.h). Throws std::invalid_argument otherwise.
QByteArray encodeIcon16(const QImage &image);

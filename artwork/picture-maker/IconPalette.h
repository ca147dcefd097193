#pragma once

#include <QColor>
#include <QRgb>

#include <array>

// The classic 16-colour palette. The 32 × 32 window icon is drawn in these colours only, in
// this order, so that each pixel maps to a 4-bit palette index.
// clang-format off
enum class IconColour {
    Black, Maroon,  Green, Olive,
    Navy,  Purple,  Teal,  Silver,
    Grey,  Red,     Lime,  Yellow,
    Blue,  Fuchsia, Aqua,  White
};
// clang-format on

inline constexpr std::array<QRgb, 16> kIconPalette{
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

inline QColor iconColour(IconColour colour)
{
    return QColor(kIconPalette[static_cast<std::size_t>(colour)]);
}

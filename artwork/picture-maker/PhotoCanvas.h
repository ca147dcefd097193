#pragma once

#include <QImage>

// Every demo photo has the same size, close to that of a scanned print.
inline constexpr int kDemoPhotoWidth = 1024;
inline constexpr int kDemoPhotoHeight = 620;

inline QImage blankDemoPhoto()
{
    QImage image(kDemoPhotoWidth, kDemoPhotoHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

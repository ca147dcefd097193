#pragma once

#include <QImage>

// Every demo photo has the same size, close to that of a scanned print.
inline constexpr int demoPhotoWidth = 1024;
inline constexpr int demoPhotoHeight = 620;

inline QImage blankDemoPhoto()
{
    QImage image(demoPhotoWidth, demoPhotoHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

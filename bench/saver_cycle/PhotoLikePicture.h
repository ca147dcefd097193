#pragma once

#include <QImage>
#include <QSize>
#include <QtGlobal>

// A picture that a JPEG coder treats like a camera photo: a smooth scene (a graded sky, soft
// shapes) with texture at several scales and sensor-like grain, so its file has a real
// photo's size and its decoding a real photo's work, rather than a flat colour's. The same
// size and seed always give the same pixels.
QImage makePhotoLikePicture(QSize size, quint32 seed);

#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Reads the window dumps xwd writes, so that a test can look at what an X server shows
// without a screenshot program of its own: TrueColor and DirectColor dumps in Z format
// with 16, 24 or 32 bits per pixel, as servers of depth 15 to 24 produce.
namespace XwdImage {

// The picture in the dump; null, with the reason in error, when it cannot be read.
QImage decode(const QByteArray &dump, QString *error = nullptr);

} // namespace XwdImage

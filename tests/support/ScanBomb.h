#pragma once

#include <QByteArray>
#include <QSize>

// A JPEG that is small and quick to make but slow to decode, for the tests of a decode that
// takes too long: a progressive grey picture written by Qt, whose first AC scan is coded
// again, many times over, right after itself. The decoder only warns about the repeated
// progression and decodes every repetition over the whole image, at whatever scale it
// decodes to, so its time grows with the repetitions; the picture stays what was written.
namespace ScanBomb {

inline constexpr QSize kSize(8000, 6000);
// Every pixel's grey level: light, so that a test can tell it on the screen from the saver's
// black and from the built-in photo.
inline constexpr int kGrey = 220;
// At 8000 × 6000 each repetition adds 95 bytes to the file and about 9 ms to a decode at 1/8
// scale (1000 × 750, as QImageReader::setScaledSize(800, 600) asks), against 0.3 s for the
// picture alone. Measured on the 2-core test machine: 3000 repetitions make a file of 462 KiB
// (473 028 bytes) whose decode took 27 s of processor time, 34 to 44 s on the clock with two
// other builds running.
inline constexpr int kDefaultRepetitions = 3000;

// The file's bytes; empty (with a warning) when Qt's writer fails or codes no AC scan.
QByteArray Jpeg(int repetitions = kDefaultRepetitions, QSize size = kSize);

} // namespace ScanBomb

#include "PictureComparison.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>

QString differenceBeyondRounding(const QString &committedPath, const QString &drawnPath)
{
    const QImage committed(committedPath);
    const QImage drawn(drawnPath);
    if (committed.isNull() || drawn.isNull())
        return QStringLiteral("cannot be read as a picture");
    if (committed.size() != drawn.size())
        return QStringLiteral("%1 × %2 where %3 × %4 is drawn")
            .arg(committed.width())
            .arg(committed.height())
            .arg(drawn.width())
            .arg(drawn.height());
    const QImage left = committed.convertToFormat(QImage::Format_ARGB32);
    const QImage right = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < left.height(); ++y) {
        const auto *leftLine = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *rightLine = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            const QRgb a = leftLine[x];
            const QRgb b = rightLine[x];
            const int apart = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            if (apart > 1)
                return QStringLiteral("a colour value %1 apart at (%2, %3)").arg(apart).arg(x).arg(y);
        }
    }
    return {};
}

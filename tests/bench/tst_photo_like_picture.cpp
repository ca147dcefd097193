#include "saver_cycle/PhotoLikePicture.h"

#include <QTest>

#include <algorithm>
#include <set>

// The bench's photos must be the same on every run, differ from one seed to the next, and be
// busy enough to code like a photo rather than like a flat colour.
class TestPhotoLikePicture : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedSamePixels();
    void seedsDiffer();
    void hasTheSpreadOfAPhoto();
    void anyShapeOfPicture();
};

void TestPhotoLikePicture::sameSeedSamePixels()
{
    const QImage first = makePhotoLikePicture(QSize(300, 200), 7);
    QCOMPARE(first.size(), QSize(300, 200));
    QVERIFY(first == makePhotoLikePicture(QSize(300, 200), 7));
}

void TestPhotoLikePicture::seedsDiffer()
{
    QVERIFY(makePhotoLikePicture(QSize(300, 200), 1) != makePhotoLikePicture(QSize(300, 200), 2));
}

void TestPhotoLikePicture::hasTheSpreadOfAPhoto()
{
    const QImage picture = makePhotoLikePicture(QSize(600, 400), 3);
    std::set<QRgb> colours;
    int darkest = 255;
    int brightest = 0;
    int neighbourSteps = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            colours.insert(pixel);
            darkest = std::min(darkest, qGray(pixel));
            brightest = std::max(brightest, qGray(pixel));
            if (x > 0 && pixel != picture.pixel(x - 1, y))
                ++neighbourSteps;
        }
    }
    // Many colours over a wide range of light, and fine detail: most neighbours differ.
    QVERIFY2(colours.size() > 10000, qPrintable(QString::number(colours.size())));
    QVERIFY2(brightest - darkest > 100, qPrintable(QStringLiteral("%1 .. %2").arg(darkest).arg(brightest)));
    QVERIFY2(neighbourSteps > picture.width() * picture.height() / 2, qPrintable(QString::number(neighbourSteps)));
}

void TestPhotoLikePicture::anyShapeOfPicture()
{
    // Sizes smaller than a texture cell, and not multiples of one, are filled to the edge.
    for (const QSize size : {QSize(1, 1), QSize(2, 37), QSize(41, 3)}) {
        const QImage picture = makePhotoLikePicture(size, 5);
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.format(), QImage::Format_RGB32);
    }
}

QTEST_GUILESS_MAIN(TestPhotoLikePicture)
#include "tst_photo_like_picture.moc"

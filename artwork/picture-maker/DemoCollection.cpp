#include "DemoCollection.h"

#include "CategoryPhotos.h"
#include "ImageOutput.h"
#include "YearPhotos.h"

#include <QDir>

#include <functional>

namespace {

// Quality 85 keeps each photo well under 150 KB at 1024 × 620 without visible blocks.
constexpr int kPhotoQuality = 85;

struct DemoPhoto
{
    const char *fileName;
    std::function<QImage()> paint;
};

std::function<QImage()> year(int modelYear)
{
    return [modelYear] { return yearPhoto(modelYear); };
}

std::function<QImage()> category(PhotoCategory subject)
{
    return [subject] { return categoryPhoto(subject); };
}

} // namespace

void writeDemoCollection(const QString &folder)
{
    const DemoPhoto photos[] = {
        {"57A01.jpg", year(1957)},
        {"63B01.jpg", year(1963)},
        {"67A01.jpg", year(1967)},
        {"72C01.jpg", year(1972)},
        {"78A01.jpg", year(1978)},
        {"84D01.jpg", year(1984)},
        {"91B01.jpg", year(1991)},
        {"96A01.jpg", year(1996)},
        {"01A01.jpg", year(2001)},
        {"04B01.jpg", year(2004)},
        {"08C01.jpg", year(2008)},
        {"CL001.jpg", category(PhotoCategory::ClassicShow)},
        {"CV001.jpg", category(PhotoCategory::CustomCar)},
        {"DP001.jpg", category(PhotoCategory::Prototype)},
        {"TC001.jpg", category(PhotoCategory::Calendar)},
        {"VM001.jpg", category(PhotoCategory::MetalSign)},
        {"ZZ001.jpg", category(PhotoCategory::Stamp)},
    };
    const QDir out(folder);
    for (const DemoPhoto &photo : photos)
        writeJpeg(photo.paint(), out.filePath(QString::fromLatin1(photo.fileName)), kPhotoQuality);
}

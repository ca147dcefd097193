// The bounded picture load: any bytes in a photo's file give the picture at the size it is
// shown at, or "invalid picture", within the time and memory the saver allows.
#include "FuzzCheck.h"
#include "platform/pictures/LoadStop.h"
#include "platform/pictures/PictureLoader.h"
#include "platform/runtime/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QSize kShownSize(64, 48);

} // namespace

// The image readers warn about every damaged file; those warnings are all the run would print.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("photo.jpg"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the photo's file can be written");
        require(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size),
                "the photo's file is written whole");
    }
    LoadStop stop(kPictureLoadTimeLimit);
    stop.start();
    try {
        const QImage picture = LoadPicture(path, kShownSize, stop);
        require(picture.size() == kShownSize, "a picture comes at the size it is shown at");
    } catch (const RuntimeError &error) {
        require(error.number() == RuntimeError::InvalidPicture, "a file that is no picture is an invalid picture");
    }
    return 0;
}

// picture-maker: draws the pictures built into the saver and the demo photo collection.
// Usage: picture-maker OUTPUT_DIR
//        picture-maker --compare COMMITTED_FILE DRAWN_FILE
// Writes OUTPUT_DIR/resources/ (photo.jpg, banner.bmp, settings.bmp, dravik.ico and the
// desktop icons) and OUTPUT_DIR/demo/draviks/ (the demo photos). The output depends only on
// this program and the installed fonts, so a rerun gives the same files on one machine.
// --compare exits with 0 when the two files show the same picture up to rounding, and with 1,
// saying what differs, when they do not.

#include "DemoCollection.h"
#include "PictureComparison.h"
#include "ResourcePictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    // Everything is drawn off-screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--compare")) {
        const QString difference = differenceBeyondRounding(arguments.at(2), arguments.at(3));
        if (difference.isEmpty())
            return 0;
        std::fprintf(stderr, "%s: %s\n", qPrintable(arguments.at(2)), qPrintable(difference));
        return 1;
    }
    if (arguments.size() != 2 || arguments.at(1).isEmpty()) {
        std::fprintf(stderr,
                     "usage: picture-maker OUTPUT_DIR\n       picture-maker --compare COMMITTED_FILE DRAWN_FILE\n");
        return 2;
    }

    const QDir output(arguments.at(1));
    try {
        writeResourcePictures(output.filePath(QStringLiteral("resources")));
        writeDemoCollection(output.filePath(QStringLiteral("demo/draviks")));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "picture-maker: %s\n", error.what());
        return 1;
    }
    return 0;
}

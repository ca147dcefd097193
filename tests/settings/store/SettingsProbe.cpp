// settings-probe: reads and writes the real settings store from a separate process.
//   settings-probe path                          prints [file path]
//   settings-probe get KEY DEFAULT               prints [value]
//   settings-probe set KEY VALUE
//   settings-probe set-many KEY PREFIX COUNT     saves PREFIX0000, PREFIX0001, ... in turn
// Output is UTF-8 between brackets so that blanks show. A run-time error is printed to stderr and
// its number becomes the exit code.
#include "ApplicationTitle.h"
#include "platform/runtime/RuntimeError.h"
#include "settings/ProgramSettings.h"
#include "settings/store/SettingsStore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void print(const QString &text)
{
    const QByteArray bytes = (u'[' + text + u']' + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int usage()
{
    std::fputs("usage: settings-probe path | get KEY DEFAULT | set KEY VALUE | set-many KEY PREFIX COUNT\n", stderr);
    return 2;
}

int run(const QStringList &args)
{
    const QString command = args.value(0);
    if (command == QStringLiteral("path") && args.size() == 1) {
        print(SettingsFilePath(kApplicationTitle));
    } else if (command == QStringLiteral("get") && args.size() == 3) {
        print(GetSetting(kApplicationTitle, SettingNames::Section, args[1], args[2]));
    } else if (command == QStringLiteral("set") && args.size() == 3) {
        SaveSetting(kApplicationTitle, SettingNames::Section, args[1], args[2]);
    } else if (command == QStringLiteral("set-many") && args.size() == 4) {
        bool ok = false;
        const int count = args[3].toInt(&ok);
        if (!ok)
            return usage();
        for (int i = 0; i < count; ++i)
            SaveSetting(kApplicationTitle, SettingNames::Section, args[1],
                        args[2] + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')));
    } else {
        return usage();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments().mid(1));
    } catch (const RuntimeError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return int(error.number());
    }
}

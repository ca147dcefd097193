// The saver's target from its command line and $XSCREENSAVER_WINDOW: window ids in every form.
#include "FuzzCheck.h"
#include "startup/SaverTarget.h"

#include <QStringList>

#include <charconv>

namespace {

bool isOption(const QString &argument, const QString &name)
{
    return argument == u'-' + name || argument == QStringLiteral("--") + name;
}

// What an id text stands for, read independently of the program: "0x" and hex digits, or
// decimal digits, of a window that can exist (32 bits, not 0).
std::optional<quintptr> windowId(const QString &text)
{
    const bool hex = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QByteArray digits = text.mid(hex ? 2 : 0).toLatin1();
    if (digits.isEmpty() || text.mid(hex ? 2 : 0) != QString::fromLatin1(digits))
        return std::nullopt;
    unsigned long long id = 0;
    const auto [end, error] = std::from_chars(digits.cbegin(), digits.cend(), id, hex ? 16 : 10);
    if (error != std::errc() || end != digits.cend() || id == 0 || id > 0xffffffffULL)
        return std::nullopt;
    return quintptr(id);
}

} // namespace

// The arguments are the input's NUL-separated parts; the first part is the environment's
// window, unset when it is the single byte 0x01.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QStringList parts;
    for (const QByteArray &part : bytesOf(data, size).toByteArray().split('\0'))
        parts << QString::fromUtf8(part);
    const QString daemonWindow = parts.first() == QStringLiteral("\x01") ? QString() : parts.first();
    const QStringList arguments = parts.mid(1);
    const SaverTarget target = SaverTargetFrom(arguments, daemonWindow);

    const QString windowIdOption = QStringLiteral("window-id");
    const auto asked = std::find_if(arguments.begin(), arguments.end(),
                                    [&](const QString &argument) { return isOption(argument, windowIdOption); });
    const bool root = std::any_of(arguments.begin(), arguments.end(),
                                  [](const QString &argument) { return isOption(argument, QStringLiteral("root")); });
    std::optional<QString> idText;
    if (asked != arguments.end())
        idText = asked + 1 == arguments.end() ? QString() : *(asked + 1);
    else if (root && !daemonWindow.isNull())
        idText = daemonWindow;

    if (!idText) {
        require(target.warning.isEmpty(), "no warning where no window was asked for");
        require(target.kind == (root ? SaverTarget::Kind::RootWindow : SaverTarget::Kind::FullScreen),
                "--root without a window draws on the root window, nothing else full screen");
        return 0;
    }
    const std::optional<quintptr> id = windowId(*idText);
    if (id) {
        require(target.kind == SaverTarget::Kind::Window && target.window == *id && target.warning.isEmpty(),
                "a window id is drawn into");
    } else {
        require(target.kind == SaverTarget::Kind::FullScreen && !target.warning.isEmpty(),
                "what is no window id falls back to full screen with a warning");
    }
    return 0;
}

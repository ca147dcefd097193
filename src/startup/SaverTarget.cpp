#include "startup/SaverTarget.h"

#include <optional>

namespace {

bool isOption(const QString &argument, QLatin1StringView name)
{
    return argument == QLatin1String("-") + name || argument == QLatin1String("--") + name;
}

std::optional<quintptr> windowId(const QString &text)
{
    bool ok = false;
    const bool hex = text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"));
    // Only digits: toULongLong would also take blanks and a sign.
    const QString digits = hex ? text.mid(2) : text;
    for (QChar c : digits) {
        if (!(c.isDigit() || (hex && QStringLiteral("abcdefABCDEF").contains(c))))
            return std::nullopt;
    }
    const qulonglong id = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || id == 0 || id > 0xffffffffULL) // X11 ids are 32 bits, and 0 is no window
        return std::nullopt;
    return static_cast<quintptr>(id);
}

SaverTarget fullScreenBecause(const QString &warning)
{
    return {SaverTarget::Kind::FullScreen, 0, warning};
}

SaverTarget intoWindow(const QString &text, const QString &source)
{
    if (const std::optional<quintptr> id = windowId(text))
        return {SaverTarget::Kind::Window, *id, {}};
    return fullScreenBecause(
        QStringLiteral("%1 \"%2\" is not a window id; showing the saver full screen").arg(source, text));
}

} // namespace

SaverTarget SaverTargetFrom(const QStringList &arguments, const QString &daemonWindow)
{
    bool root = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (isOption(arguments.at(i), QLatin1StringView("window-id"))) {
            if (i + 1 == arguments.size())
                return fullScreenBecause(
                    QStringLiteral("--window-id needs a window id; showing the saver full screen"));
            return intoWindow(arguments.at(i + 1), QStringLiteral("--window-id"));
        }
        root = root || isOption(arguments.at(i), QLatin1StringView("root"));
    }
    if (!root)
        return {};
    if (daemonWindow.isNull())
        return {SaverTarget::Kind::RootWindow, 0, {}};
    return intoWindow(daemonWindow, QStringLiteral("XSCREENSAVER_WINDOW"));
}

#include "saver/PhotoCaption.h"

#include "platform/files/FileName.h"

#include <array>

namespace {

struct Category
{
    const char16_t *code;
    const char16_t *caption;
};

// Tested in this order. The blanks at the ends are part of the captions.
constexpr std::array<Category, 9> kCategories = {{
    {u"BC", u"Callaway C12 "},
    {u"CL", u"Classic Draviks"},
    {u"CV", u"Custom Draviks"},
    {u"DP", u"Prototypes "},
    {u"TC", u"Car Stuff Dravik Calendars "},
    {u"TD", u"Danbury Mint Die-cast Model "},
    {u"TF", u"Franklin Mint Die-cast Models "},
    {u"VM", u"Dravik Metal Signs "},
    {u"ZZ", u"Dravik Philately "},
}};

const QString kMarker = QStringLiteral("draviks");
// The marker's seven letters and the separator after it.
constexpr qsizetype kCodeOffset = 8;

// Maps each character on its own, by its simple case mapping, and keeps any character whose
// mapping would take a different number of code units: QString::toUpper("ß") is "SS", which
// would move everything after it.
QString caseMappedInPlace(const QString &text, char32_t (*map)(char32_t) noexcept)
{
    QString mapped = text;
    for (qsizetype i = 0; i < mapped.size();) {
        const QChar unit = mapped.at(i);
        if (unit.isHighSurrogate() && i + 1 < mapped.size() && mapped.at(i + 1).isLowSurrogate()) {
            const char32_t result = map(QChar::surrogateToUcs4(unit, mapped.at(i + 1)));
            if (QChar::requiresSurrogates(result)) {
                mapped[i] = QChar(QChar::highSurrogate(result));
                mapped[i + 1] = QChar(QChar::lowSurrogate(result));
            }
            i += 2;
            continue;
        }
        const char32_t result = map(unit.unicode());
        if (!QChar::requiresSurrogates(result))
            mapped[i] = QChar(static_cast<char16_t>(result));
        ++i;
    }
    return mapped;
}

// Mid$(text, start, length) with a 1-based start: shorter, or empty, where the text ends.
QString mid(const QString &text, qsizetype start, qsizetype length)
{
    return text.mid(start - 1, length);
}

QString yearCaption(const QString &digits)
{
    return digits + QStringLiteral(" Dravik   ");
}

} // namespace

QString CaptionFromPath(const QString &path)
{
    const QString shown = FileName::forDisplay(path);
    const qsizetype marker = caseMappedInPlace(shown, QChar::toLower).indexOf(kMarker) + 1;
    const QString upper = caseMappedInPlace(shown, QChar::toUpper);

    const QString code = mid(upper, marker + kCodeOffset, 2);
    for (const Category &category : kCategories) {
        if (code == QStringView(category.code))
            return QString::fromUtf16(category.caption);
    }

    const QString first = mid(upper, marker + kCodeOffset, 1);
    if (QString::compare(first, QStringLiteral("5")) >= 0 && QString::compare(first, QStringLiteral("9")) <= 0)
        return yearCaption(QStringLiteral("  19") + mid(upper, marker + kCodeOffset, 2));
    return yearCaption(QStringLiteral("  200") + mid(upper, marker + kCodeOffset + 1, 1));
}

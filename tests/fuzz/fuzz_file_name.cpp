// File names as bytes: FileName's lossless text form, the caption decoded from a path and
// the file pattern, for any name.
#include "FuzzCheck.h"
#include "platform/files/FileName.h"
#include "platform/files/FileNamePattern.h"
#include "saver/PhotoCaption.h"

#include <algorithm>
#include <cstring>

namespace {

bool isLoneSurrogate(QChar c)
{
    return c.isSurrogate();
}

void requireShownAsText(const QString &text)
{
    const QString shown = FileName::forDisplay(text);
    require(shown.size() == text.size(), "the shown text has the positions of the lossless one");
    // A valid pair stays a pair; every other surrogate is gone.
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i].isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate())
            ++i;
        else
            require(!isLoneSurrogate(shown[i]), "the shown text holds no lone surrogate");
    }
    (void)CaptionFromPath(text);
}

} // namespace

// The input is a name's bytes; read as UTF-16 it is also text that may not name a file at all.
// Its first line is the pattern matched against the rest.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = bytesOf(data, size);
    const QString text = FileName::fromBytes(bytes);
    const std::optional<QByteArray> back = FileName::toBytes(text);
    if (bytes.contains('\0'))
        require(!back, "a name with a NUL names no file");
    else
        require(back && *back == bytes, "a name's bytes come back from its text");
    const QString decoded = QString::fromUtf8(bytes);
    if (decoded.toUtf8() == bytes)
        require(text == decoded, "a UTF-8 name's text is Qt's");
    requireShownAsText(text);

    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, size_t(utf16.size()) * sizeof(QChar));
    if (const std::optional<QByteArray> named = FileName::toBytes(utf16))
        require(!named->contains('\0'), "the bytes a text names hold no NUL");
    requireShownAsText(utf16);

    const qsizetype lineEnd = bytes.indexOf('\n');
    const QString pattern = FileName::fromBytes(bytes.first(std::max<qsizetype>(lineEnd, 0)));
    const QString name = FileName::fromBytes(bytes.sliced(lineEnd + 1));
    (void)FileNameMatches(pattern, name);
    require(FileNameMatches(QStringLiteral("*"), name) && FileNameMatches(QStringLiteral("*.*"), name),
            "* and *.* match every name");
    if (!name.contains(u'*') && !name.contains(u'?'))
        require(FileNameMatches(name, name), "a name without wildcards matches itself");
    return 0;
}

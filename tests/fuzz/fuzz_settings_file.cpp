// The settings file: read, save a changed Interval, read back.
#include "FuzzCheck.h"
#include "platform/files/FileName.h"
#include "settings/store/IniDocument.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kInterval = QStringLiteral("Interval");
const QString kDirectory = QStringLiteral("DraviksDir");

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

qsizetype trailingEndOfFileMarks(const QByteArray &bytes)
{
    qsizetype count = 0;
    while (count < bytes.size() && bytes[bytes.size() - 1 - count] == '\x1a')
        ++count;
    return count;
}

// Everything but the changed line survives: the bytes that differ lie within one line of the
// old file, and where they replace something, the new bytes are one line's too.
void requireOneLineChanged(const QByteArray &before, const QByteArray &after)
{
    const ChangedBytes change = changedBytes(before, after);
    require(std::none_of(change.removed.begin(), change.removed.end(), isLineBreak),
            "a save changes no more than one line");
    require(change.removed.isEmpty() || std::none_of(change.inserted.begin(), change.inserted.end(), isLineBreak),
            "a replaced line stays one line");
    require(before.startsWith("\xef\xbb\xbf") == after.startsWith("\xef\xbb\xbf"), "the byte-order mark stays");
    require(trailingEndOfFileMarks(before) == trailingEndOfFileMarks(after), "the end-of-file marks stay at the end");
}

} // namespace

// The input is the file; after its first NUL (which no settings file holds), the bytes of the
// Interval text to save, as FileName's lossless form has them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = bytesOf(data, size);
    const IniDocument whole(input.toByteArray());
    (void)whole.value(kSection, kInterval);
    (void)whole.value(kSection, kDirectory);

    const qsizetype nul = input.indexOf('\0');
    if (nul >= 0)
        require(!whole.error().isEmpty(), "a file holding a NUL is refused");
    const QByteArray file = input.first(nul < 0 ? input.size() : nul).toByteArray();
    const QString interval = nul < 0 ? QStringLiteral("15") : FileName::fromBytes(input.sliced(nul + 1));

    IniDocument document(file);
    if (!document.error().isEmpty())
        return 0;
    const std::optional<QString> directory = document.value(kSection, kDirectory);
    document.setValue(kSection, kInterval, interval);
    require(document.value(kSection, kInterval) == interval, "the saved text is the value");
    const QByteArray saved = document.contents();
    requireOneLineChanged(file, saved);

    const IniDocument reread(saved);
    require(reread.error().isEmpty(), "a saved file reads");
    require(reread.value(kSection, kInterval) == interval, "the saved text reads back as saved");
    require(reread.value(kSection, kDirectory) == directory, "the other key reads as before");
    return 0;
}

#include "DaemonProgramsList.h"

#include "platform/runtime/Blanks.h"

#include <QList>

#include <optional>
#include <utility>

namespace DaemonProgramsList {

namespace {

constexpr int kTabWidth = 8;
// xscreensaver-settings lines the commands up at one column and the line ends at another.
constexpr int kCommandColumn = 32;
constexpr int kPaddingEndColumn = 72;
const QByteArray kEntryEnd = QByteArrayLiteral("    \\n\\");
const QByteArray kSeparator = QByteArrayLiteral("\\n");
const QByteArray kKey = QByteArrayLiteral("programs");

struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0; // at the line break, or at the end of a file that lacks the last one
};

struct Entry
{
    qsizetype lineBegin = 0;
    qsizetype start = 0; // at "-", the visual or the command, whichever comes first
    qsizetype commandStart = 0;
    bool enabled = true;
    QByteArray visual;
    QByteArray command;
};

struct List
{
    QList<Line> lines; // the key's line first, the one that ends the resource last
    qsizetype valueStart = 0;
    QList<Entry> entries;
};

qsizetype skipBlanks(const QByteArray &text, qsizetype from, qsizetype end)
{
    while (from < end && IsBlank(text.at(from)))
        ++from;
    return from;
}

QList<Line> splitLines(const QByteArray &text)
{
    QList<Line> lines;
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = text.indexOf('\n', begin);
        if (end < 0)
            end = text.size();
        lines.append({begin, end});
        begin = end + 1;
    }
    return lines;
}

// A backslash at the end continues the line; two are an escaped backslash.
bool continues(const QByteArray &text, const Line &line)
{
    qsizetype backslashes = 0;
    for (qsizetype at = line.end; at > line.begin && text.at(at - 1) == '\\'; --at)
        ++backslashes;
    return backslashes % 2 == 1;
}

bool isBlankLine(const QByteArray &text, const Line &line)
{
    return skipBlanks(text, line.begin, line.end) == line.end;
}

// Where the value of a "programs:" line starts, or nothing when the line sets something else.
std::optional<qsizetype> programsValueStart(const QByteArray &text, const Line &line)
{
    const qsizetype keyStart = skipBlanks(text, line.begin, line.end);
    if (text.mid(keyStart, kKey.size()) != kKey)
        return std::nullopt;
    const qsizetype colon = skipBlanks(text, keyStart + kKey.size(), line.end);
    if (colon == line.end || text.at(colon) != ':')
        return std::nullopt;
    return colon + 1;
}

std::optional<Entry> parseEntry(const QByteArray &text, qsizetype lineBegin, qsizetype begin, qsizetype end)
{
    qsizetype at = skipBlanks(text, begin, end);
    if (at == end)
        return std::nullopt;
    Entry entry;
    entry.lineBegin = lineBegin;
    entry.start = at;
    if (text.at(at) == '-') {
        entry.enabled = false;
        at = skipBlanks(text, at + 1, end);
    }
    qsizetype wordEnd = at;
    while (wordEnd < end && !IsBlank(text.at(wordEnd)))
        ++wordEnd;
    if (wordEnd - at > 1 && text.at(wordEnd - 1) == ':') {
        entry.visual = text.mid(at, wordEnd - at);
        at = skipBlanks(text, wordEnd, end);
    }
    entry.commandStart = at;
    entry.command = text.mid(at, end - at).trimmed();
    if (entry.command.isEmpty())
        return std::nullopt;
    return entry;
}

// The part of a list line that holds entries: after the key, before the continuation.
Line valueOf(const QByteArray &text, const List &list, const Line &line)
{
    const qsizetype begin = line.begin == list.lines.constFirst().begin ? list.valueStart : line.begin;
    return {begin, continues(text, line) ? line.end - 1 : line.end};
}

void addEntries(const QByteArray &text, List &list, const Line &line)
{
    const Line value = valueOf(text, list, line);
    qsizetype begin = value.begin;
    while (begin <= value.end) {
        qsizetype end = text.indexOf(kSeparator, begin);
        if (end < 0 || end > value.end)
            end = value.end;
        if (const std::optional<Entry> entry = parseEntry(text, line.begin, begin, end))
            list.entries.append(*entry);
        begin = end + kSeparator.size();
    }
}

QList<List> programsLists(const QByteArray &text)
{
    const QList<Line> lines = splitLines(text);
    QList<List> lists;
    for (qsizetype first = 0; first < lines.size(); ++first) {
        qsizetype last = first;
        while (last + 1 < lines.size() && continues(text, lines.at(last)))
            ++last;
        if (const std::optional<qsizetype> valueStart = programsValueStart(text, lines.at(first))) {
            List list{lines.mid(first, last - first + 1), *valueStart, {}};
            for (const Line &line : std::as_const(list.lines))
                addEntries(text, list, line);
            lists.append(list);
        }
        first = last;
    }
    return lists;
}

bool namesSaver(const Entry &entry)
{
    qsizetype programEnd = 0;
    while (programEnd < entry.command.size() && !IsBlank(entry.command.at(programEnd)))
        ++programEnd;
    const QByteArray program = entry.command.left(programEnd);
    return program.mid(program.lastIndexOf('/') + 1) == kProgramName;
}

int columnAfter(const QByteArray &text, int column)
{
    for (const char c : text)
        column = c == '\t' ? (column / kTabWidth + 1) * kTabWidth : column + 1;
    return column;
}

QByteArray paddedTo(QByteArray text, int startColumn, int column)
{
    for (int at = columnAfter(text, startColumn); at < column; at = (at / kTabWidth + 1) * kTabWidth)
        text += '\t';
    return text;
}

QByteArray prefixOf(bool enabled, const QByteArray &visual)
{
    if (visual.isEmpty())
        return enabled ? QByteArray() : QByteArrayLiteral("-");
    return (enabled ? QByteArrayLiteral("  ") : QByteArrayLiteral("- ")) + visual + ' ';
}

// A visual or command beginning with "-" would read as the disabled mark again once the mark
// before it is gone.
bool canBeEnabledInPlace(const Entry &entry)
{
    return !(entry.visual.isEmpty() ? entry.command : entry.visual).startsWith('-');
}

Edit refused(const QByteArray &text, const QString &reason)
{
    return {text, false, reason};
}

// Only the "-" and the padding before the command change; the rest of the line stays.
Edit enabledInPlace(const QByteArray &text, const Entry &entry)
{
    const int column = columnAfter(text.mid(entry.lineBegin, entry.start - entry.lineBegin), 0);
    QByteArray edited = text;
    edited.replace(entry.start, entry.commandStart - entry.start,
                   paddedTo(prefixOf(true, entry.visual), column, kCommandColumn));
    return {edited, true, {}};
}

// Whether the line before the one that ends the list ends with an entry separator (or is
// the key's own line with nothing on it), so that a line put between them is one more entry.
bool endsWithSeparator(const QByteArray &text, const List &list, const Line &line)
{
    const Line value = valueOf(text, list, line);
    const QByteArray content = text.mid(value.begin, value.end - value.begin).trimmed();
    return content.isEmpty() ? line.begin == list.lines.constFirst().begin : content.endsWith(kSeparator);
}

Edit withEntryAdded(const QByteArray &text, const List &list)
{
    const qsizetype count = list.lines.size();
    if (count < 2 || !isBlankLine(text, list.lines.constLast())
        || !endsWithSeparator(text, list, list.lines.at(count - 2)))
        return refused(text,
                       QStringLiteral("its programs: list does not end the way xscreensaver-settings writes it "
                                      "(each entry ending in \\n\\ and an empty line after the last)"));
    QByteArray edited = text;
    edited.insert(list.lines.constLast().begin, formattedEntry(kCommand, true) + '\n');
    return {edited, true, {}};
}

} // namespace

Registration registration(const QByteArray &fileText)
{
    const QList<List> lists = programsLists(fileText);
    if (lists.isEmpty())
        return Registration::NoList;
    Registration found = Registration::NotListed;
    for (const List &list : lists) {
        for (const Entry &entry : list.entries) {
            if (namesSaver(entry) && entry.enabled)
                return Registration::Enabled;
            if (namesSaver(entry))
                found = Registration::Disabled;
        }
    }
    return found;
}

Edit withSaverEnabled(const QByteArray &fileText)
{
    const QList<List> lists = programsLists(fileText);
    if (lists.isEmpty())
        return refused(fileText, QStringLiteral("it has no programs: list"));
    if (lists.size() > 1)
        return refused(fileText, QStringLiteral("it has more than one programs: list"));
    const List &list = lists.constFirst();
    const Entry *disabled = nullptr;
    for (const Entry &entry : list.entries) {
        if (namesSaver(entry) && entry.enabled)
            return {fileText, false, {}};
        if (namesSaver(entry) && !disabled && canBeEnabledInPlace(entry))
            disabled = &entry;
    }
    return disabled ? enabledInPlace(fileText, *disabled) : withEntryAdded(fileText, list);
}

QByteArray formattedEntry(const QByteArray &command, bool enabled, const QByteArray &visual)
{
    const QByteArray upToCommand = paddedTo(prefixOf(enabled, visual), 0, kCommandColumn) + command;
    return paddedTo(upToCommand, 0, kPaddingEndColumn) + kEntryEnd;
}

} // namespace DaemonProgramsList

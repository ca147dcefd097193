#include "settings/store/IniDocument.h"

#include "platform/files/FileName.h"
#include "platform/runtime/Blanks.h"
#include "settings/store/IniValue.h"

#include <algorithm>

namespace {

constexpr QByteArrayView kByteOrderMark = "\xef\xbb\xbf";
constexpr QByteArrayView kUtf16LittleEndianMark = "\xff\xfe";
constexpr QByteArrayView kUtf16BigEndianMark = "\xfe\xff";
constexpr char kEndOfFileMark = '\x1a';

bool sameName(QStringView left, QStringView right)
{
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

bool isComment(QStringView text)
{
    return text.startsWith(u';') || text.startsWith(u'#');
}

// The length of the line break at the start of bytes (LF, CR LF or CR), 0 when there is none.
qsizetype lineBreakLength(QByteArrayView bytes)
{
    if (bytes.startsWith("\r\n"))
        return 2;
    return bytes.startsWith('\n') || bytes.startsWith('\r') ? 1 : 0;
}

} // namespace

IniDocument::IniDocument(const QByteArray &contents)
{
    QByteArrayView rest(contents);
    // UTF-16 is refused rather than read: QSettings finds nothing in it either.
    if (rest.startsWith(kUtf16LittleEndianMark) || rest.startsWith(kUtf16BigEndianMark)) {
        m_error = QStringLiteral("it is UTF-16 text, which is not read; save it as UTF-8");
        return;
    }
    if (const qsizetype nul = rest.indexOf('\0'); nul >= 0) {
        qsizetype line = 1;
        for (qsizetype at = 0; at < nul; at += std::max<qsizetype>(lineBreakLength(rest.sliced(at)), 1))
            line += lineBreakLength(rest.sliced(at)) > 0 ? 1 : 0;
        m_error = QStringLiteral("line %1 holds a NUL byte: the file is binary data or UTF-16 text").arg(line);
        return;
    }
    if (rest.startsWith(kByteOrderMark)) {
        m_byteOrderMark = kByteOrderMark.toByteArray();
        rest = rest.sliced(kByteOrderMark.size());
    }
    qsizetype text = rest.size();
    while (text > 0 && rest[text - 1] == kEndOfFileMark)
        --text;
    m_endOfFileMarks = rest.sliced(text).toByteArray();
    rest = rest.first(text);

    bool lineBreakSeen = false;
    for (int number = 1; !rest.isEmpty(); ++number) {
        const auto end = std::find_if(rest.begin(), rest.end(), [](char c) { return c == '\n' || c == '\r'; });
        const qsizetype length = end - rest.begin();
        const qsizetype breakLength = lineBreakLength(rest.sliced(length));
        Line line{rest.first(length).toByteArray(), rest.sliced(length, breakLength).toByteArray()};
        rest = rest.sliced(length + breakLength);
        if (!lineBreakSeen && breakLength > 0) {
            m_lineBreak = line.lineBreak;
            lineBreakSeen = true;
        }
        if (!readLine(line))
            m_strayLines.push_back(number);
        m_lines.push_back(std::move(line));
    }
}

bool IniDocument::readLine(Line &line)
{
    const QString text = FileName::fromBytes(line.bytes);
    // Names and values without the blanks around them, as QSettings and other INI readers trim.
    const QStringView content = WithoutBlanks(text);
    if (content.isEmpty() || isComment(content))
        return true;
    // A section line without its ], or with more than a comment after it, is stray but still
    // starts the section named up to the ] (or the line's end), as QSettings reads it.
    if (content.startsWith(u'[')) {
        const qsizetype close = content.indexOf(u']');
        line.kind = Line::Kind::Section;
        line.name = WithoutBlanks(content.sliced(1, (close < 0 ? content.size() : close) - 1)).toString();
        const QStringView after = close < 0 ? QStringView() : WithoutBlanks(content.sliced(close + 1));
        return close >= 0 && !line.name.isEmpty() && (after.isEmpty() || isComment(after));
    }
    const qsizetype equals = content.indexOf(u'=');
    const QStringView name = equals < 0 ? QStringView() : WithoutBlanks(content.first(equals));
    if (name.isEmpty())
        return false;
    line.kind = Line::Kind::Key;
    line.name = name.toString();
    line.value = WithoutBlanks(content.sliced(equals + 1)).toString();
    return true;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype at = keyLine(section, key);
    if (at < 0)
        return std::nullopt;
    return IniValue::fromFile(m_lines[size_t(at)].value);
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString written = IniValue::toFile(value);
    Line line{(key + u'=' + written).toUtf8(), m_lineBreak, Line::Kind::Key, key, written};
    if (const qsizetype at = keyLine(section, key); at >= 0) {
        line.lineBreak = m_lines[size_t(at)].lineBreak;
        m_lines[size_t(at)] = std::move(line);
        return;
    }
    qsizetype at = endOfSection(section);
    if (at < 0) {
        appendSection(section);
        at = qsizetype(m_lines.size());
    }
    insertLine(at, std::move(line));
}

QByteArray IniDocument::contents() const
{
    QByteArray result = m_byteOrderMark;
    for (const Line &line : m_lines)
        result += line.bytes + line.lineBreak;
    return result + m_endOfFileMarks;
}

bool IniDocument::isName(QStringView name)
{
    if (name.isEmpty() || name.front() == u' ' || name.back() == u' ')
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == u' ' || c == u'_' || c == u'-' || c == u'.';
    });
}

qsizetype IniDocument::keyLine(QStringView section, QStringView key) const
{
    bool inSection = false;
    qsizetype found = -1;
    for (size_t at = 0; at < m_lines.size(); ++at) {
        const Line &line = m_lines[at];
        if (line.kind == Line::Kind::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Line::Kind::Key && sameName(line.name, key))
            found = qsizetype(at);
    }
    return found;
}

qsizetype IniDocument::endOfSection(QStringView section) const
{
    const auto header = std::find_if(m_lines.begin(), m_lines.end(), [&](const Line &line) {
        return line.kind == Line::Kind::Section && sameName(line.name, section);
    });
    if (header == m_lines.end())
        return -1;
    // Blank lines and comments after the last key belong to what follows.
    auto end = header + 1;
    for (auto line = end; line != m_lines.end() && line->kind != Line::Kind::Section; ++line) {
        if (line->kind == Line::Kind::Key)
            end = line + 1;
    }
    return end - m_lines.begin();
}

void IniDocument::appendSection(const QString &section)
{
    if (!m_lines.empty()) {
        Line &last = m_lines.back();
        if (last.lineBreak.isEmpty())
            last.lineBreak = m_lineBreak;
        // A blank line between sections, as QSettings writes them.
        if (!WithoutBlanks(FileName::fromBytes(last.bytes)).isEmpty())
            m_lines.push_back(Line{{}, m_lineBreak});
    }
    m_lines.push_back(Line{(u'[' + section + u']').toUtf8(), m_lineBreak, Line::Kind::Section, section});
}

void IniDocument::insertLine(qsizetype at, Line line)
{
    if (at > 0 && m_lines[size_t(at - 1)].lineBreak.isEmpty())
        m_lines[size_t(at - 1)].lineBreak = m_lineBreak;
    line.lineBreak = m_lineBreak;
    m_lines.insert(m_lines.begin() + at, std::move(line));
}

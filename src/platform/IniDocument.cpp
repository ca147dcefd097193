#include "platform/IniDocument.h"

#include "platform/IniValue.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QByteArrayView kByteOrderMark = "\xef\xbb\xbf";

bool sameName(QStringView left, QStringView right)
{
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

bool isComment(QStringView text)
{
    return text.startsWith(u';') || text.startsWith(u'#');
}

bool hasControlCharacter(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char byte) { return uchar(byte) < 0x20 && byte != '\t'; });
}

} // namespace

IniDocument::IniDocument(const QByteArray &contents)
{
    QByteArrayView rest(contents);
    if (rest.startsWith(kByteOrderMark))
        rest = rest.sliced(kByteOrderMark.size());
    for (int number = 1; !rest.isEmpty() && m_error.isEmpty(); ++number) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView bytes = end < 0 ? rest : rest.first(end);
        QByteArray lineBreak = end < 0 ? QByteArray() : QByteArray("\n");
        if (end >= 0 && bytes.endsWith('\r')) {
            bytes.chop(1);
            lineBreak = "\r\n";
        }
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (number == 1 && !lineBreak.isEmpty())
            m_lineBreak = lineBreak;
        parseLine(bytes, lineBreak, number);
    }
}

void IniDocument::parseLine(QByteArrayView bytes, const QByteArray &lineBreak, int number)
{
    const auto fail = [&](const char *what) {
        m_error = QStringLiteral("line %1 %2").arg(number).arg(QLatin1StringView(what));
    };
    if (hasControlCharacter(bytes))
        return fail("holds a control character");
    // Stateless, so that each line is decoded on its own; a mark inside the file is no mark.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return fail("is not UTF-8 text");

    Line line{bytes.toByteArray(), lineBreak};
    const QStringView content = QStringView(text).trimmed();
    const char *problem = nullptr;
    if (content.startsWith(u'['))
        problem = readSection(line, content);
    else if (!content.isEmpty() && !isComment(content))
        problem = readKey(line, text);
    if (problem)
        return fail(problem);
    m_lines.push_back(std::move(line));
}

const char *IniDocument::readSection(Line &line, QStringView content)
{
    const qsizetype close = content.indexOf(u']');
    if (close < 0)
        return "begins a section with [ but has no ]";
    const QStringView after = content.sliced(close + 1).trimmed();
    if (!after.isEmpty() && !isComment(after))
        return "has text after the ] of its section";
    line.kind = Line::Kind::Section;
    line.name = content.sliced(1, close - 1).trimmed().toString();
    return line.name.isEmpty() ? "names no section between [ and ]" : nullptr;
}

const char *IniDocument::readKey(Line &line, QStringView text)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return "is not a [section], a key=value line, a comment or blank";
    line.kind = Line::Kind::Key;
    line.name = text.first(equals).trimmed().toString();
    line.value = text.sliced(equals + 1).toString();
    return line.name.isEmpty() ? "has no key before its =" : nullptr;
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
    const QString text = key + u'=' + IniValue::toFile(value);
    Line line{text.toUtf8(), m_lineBreak, Line::Kind::Key, key, text.sliced(key.size() + 1)};
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
    QByteArray result;
    for (const Line &line : m_lines)
        result += line.bytes + line.lineBreak;
    return result;
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
    for (size_t at = 0; at < m_lines.size(); ++at) {
        const Line &line = m_lines[at];
        if (line.kind == Line::Kind::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Line::Kind::Key && sameName(line.name, key))
            return qsizetype(at);
    }
    return -1;
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
        if (!last.bytes.trimmed().isEmpty())
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

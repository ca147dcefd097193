#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

// A settings file in the program's INI dialect (the README's Settings section), read and edited
// line by line so that a save loses nothing of the file. Any bytes are read (those that are not
// UTF-8 losslessly, as FileName's text form has them); only a file that cannot be UTF-8 text at
// all is refused (see error()). Names match in any case, and where a key is given more than
// once the last one counts, as with QSettings; values are spelled as IniValue reads and writes
// them. A change replaces the line of the key that counts, or adds one line after the last key
// of the first section of that name, or the section at the end, in the file's own line break;
// every other byte, stray lines included, stays as it was.
class IniDocument
{
public:
    // Parses contents; error() tells what keeps them from being a settings file.
    explicit IniDocument(const QByteArray &contents);

    // Why the contents cannot be a settings file at all; empty when they can.
    const QString &error() const { return m_error; }
    // The numbers (from 1) of the stray lines, the lines that are not understood.
    const std::vector<int> &strayLines() const { return m_strayLines; }

    // The value that counts for key in section, nothing when there is none.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // Creates or replaces the value that counts, changing no other line.
    void setValue(const QString &section, const QString &key, const QString &value);
    // The file's bytes as they now are.
    QByteArray contents() const;

    // Whether a section or key can have this name, so that every reader finds it as given:
    // ASCII letters, digits, blanks, _ - and ., neither empty nor beginning or ending with a blank.
    static bool isName(QStringView name);

private:
    struct Line
    {
        enum class Kind { Other, Section, Key };

        Line(QByteArray lineBytes, QByteArray lineEnd, Kind lineKind = Kind::Other, QString lineName = {},
             QString lineValue = {})
            : bytes(std::move(lineBytes)),
              lineBreak(std::move(lineEnd)),
              kind(lineKind),
              name(std::move(lineName)),
              value(std::move(lineValue))
        {}

        QByteArray bytes;     // as in the file, without the line break
        QByteArray lineBreak; // "\n", "\r\n", "\r", or empty on a last line without one
        Kind kind = Kind::Other;
        QString name;  // of the section or the key
        QString value; // after the key's =, as written but for the blanks around it
    };

    // Reads one line; false when it is a stray line.
    static bool readLine(Line &line);
    // The line of the key that counts, or -1.
    qsizetype keyLine(QStringView section, QStringView key) const;
    // Where a new key of the first section named section goes, or -1 when there is none.
    qsizetype endOfSection(QStringView section) const;
    void appendSection(const QString &section);
    void insertLine(qsizetype at, Line line);

    QByteArray m_byteOrderMark;
    std::vector<Line> m_lines;
    QByteArray m_endOfFileMarks;
    QByteArray m_lineBreak = "\n";
    std::vector<int> m_strayLines;
    QString m_error;
};

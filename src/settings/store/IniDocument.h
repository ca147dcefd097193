#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

// A settings file in the program's INI dialect, read and edited line by line.
//
// The dialect reads files as people, other programs and earlier versions of the program (which
// wrote through QSettings' INI format) leave them, and loses nothing of them on a save:
//
// - Lines end in LF, CR LF or a CR alone; the last line may lack its line break. A UTF-8
//   byte-order mark at the start and DOS end-of-file marks (^Z) at the end are no part of any
//   line. Bytes that are not UTF-8 are read losslessly, as FileName's text form has them, so a
//   value holding them names the file those bytes name.
// - Each line, blanks (spaces and tabs) around it aside, is one of:
//     blank;
//     a comment: begins with ; or #;
//     a section: [name], where only a comment may follow the ];
//     a key: name=value, the name being the text before the first = without its blanks.
//   Any other line is a stray line. One without a [ (text without =, = without a name) is
//   ignored. One beginning with [ but without ], with more than a comment after its ], or
//   without a name is read as QSettings reads it: it starts the section named by the text up
//   to the ] (or the end of the line). strayLines() tells which lines are stray.
// - The value is the text after the first =, without the blanks around it; IniValue.h tells
//   how its spelling is read (a value in quotes keeps its blanks).
// - Section and key names match in any case ([settings] interval=5 is Settings, Interval).
//   Keys before the first section belong to none. Where a key is given more than once, in one
//   section or in sections of the same name, the last one counts, as with QSettings.
//
// Only a file that cannot be UTF-8 text at all is refused: one that begins with a UTF-16
// byte-order mark or holds a NUL byte (binary data, or UTF-16 text without the mark). UTF-16
// is not read: QSettings, which the earlier versions read the file with, finds nothing in it.
//
// A change touches one line: it replaces the line of the key that counts (earlier lines of the
// same key stay as they are), or adds a line after the last key of the first section of that
// name, or adds the section at the end of the file. Names are written as given, values as
// IniValue::toFile() spells them, new lines with the file's own line break. Everything else,
// stray lines, the byte-order mark and the end-of-file marks included, stays byte for byte.
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

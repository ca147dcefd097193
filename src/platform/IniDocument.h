#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

// A settings file in the program's INI dialect, read and edited line by line.
//
// The dialect reads files people write by hand as they read them, and files earlier versions
// of the program wrote through QSettings' INI format as those versions read them:
//
// - The file is UTF-8 text. A byte-order mark at its start is skipped (and never written).
//   Lines end in LF or CR LF; the last line may lack its line break. A NUL or other control
//   character (but tab), a CR on its own, or bytes that are not UTF-8 make the file not a
//   settings file.
// - Each line, leading and trailing blanks aside, is one of:
//     blank;
//     a comment: begins with ; or #;
//     a section: [name], where only blanks or a comment may follow the ];
//     a key: name=value, the name being the text before the first = without its blanks.
//   Any other line (text without =, a [ without ], [ ] or = without a name) makes the file
//   not a settings file; the error names the line.
// - The value is all of the line after the first =, blanks included, with only the line break
//   removed; IniValue.h tells how its spelling is read.
// - Section and key names match in any case ([settings] interval=5 is Settings, Interval).
//   Keys before the first section belong to none. Where a key is given more than once, in one
//   section or in several sections of the same name, the first one counts.
//
// A change touches one line: it replaces the line of the key that counts, or adds a line after
// the last key of the first section of that name, or adds the section at the end of the file.
// Names are written as given, values as IniValue::toFile() spells them, new lines with the
// file's own line break. Everything else, comments and unknown lines included, stays as it was
// byte for byte.
class IniDocument
{
public:
    // Parses contents; error() tells what keeps them from being a settings file.
    explicit IniDocument(const QByteArray &contents);

    // Why the contents are not a settings file, naming the line; empty when they are one.
    const QString &error() const { return m_error; }

    // The value that counts for key in section, nothing when there is none.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // Creates or replaces the value that counts, changing no other line.
    void setValue(const QString &section, const QString &key, const QString &value);
    // The file's bytes as they now are, without a byte-order mark.
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
        QByteArray lineBreak; // "\n", "\r\n", or empty on a last line without one
        Kind kind = Kind::Other;
        QString name;  // of the section or the key
        QString value; // after the key's =, as written
    };

    void parseLine(QByteArrayView bytes, const QByteArray &lineBreak, int number);
    // Fill in a section or key line from its text; what is wrong with it, or null.
    static const char *readSection(Line &line, QStringView content);
    static const char *readKey(Line &line, QStringView text);
    // The line of the key that counts, or -1.
    qsizetype keyLine(QStringView section, QStringView key) const;
    // Where a new key of the first section named section goes, or -1 when there is none.
    qsizetype endOfSection(QStringView section) const;
    void appendSection(const QString &section);
    void insertLine(qsizetype at, Line line);

    std::vector<Line> m_lines;
    QByteArray m_lineBreak = "\n";
    QString m_error;
};

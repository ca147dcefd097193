#pragma once

#include <QString>
#include <QStringView>

// How a value is spelled after "key=" in a settings file (see IniDocument.h for the whole file).
//
// The written value has no blanks around it (IniDocument drops them); one that needs them is
// put in quotes. Written by hand, a value is the text as it stands: E:\DRAVIKS\ is E:\DRAVIKS\ and
// /media/cdrom/Dravik, Photos/ keeps its comma and its blank. A file written through QSettings'
// INI format is escaped: it doubles backslashes, writes
// \" for a quote, \t, \n, \xN and the like for control characters, doubles a leading @, and
// puts values in double quotes when they hold ; , = or begin or end with a blank. Both are read:
//
// - A value in double quotes whose inside is well escaped (every backslash starts one of
//   \\ \" \' \? \a \b \f \n \r \t \v, \x followed by hex digits, or \ followed by octal
//   digits, and every quote inside is escaped) stands for the unescaped inside.
// - A value without quotes stands for its unescaped text only when it is exactly what that
//   escaping writes for that text (E:\\DRAVIKS\\ is E:\DRAVIKS\). Otherwise, and whenever a
//   backslash starts no escape (E:\DRAVIKS\, \\server\share\), it stands for itself.
// - After unescaping, a leading @@ stands for @.
//
// The only hand-written values read otherwise than typed are those that happen to be spelled
// exactly as that escaping spells something else (C:\\TEMP, C:\new). Quoted and escaped, any
// text can be written; this program writes values the same way QSettings does, so that a
// program reading the file through QSettings reads them as it does. A byte of a file name that is not
// UTF-8 (FileName's escape U+DCxy) is written \xdcxy, which QSettings reads back as that
// same escape; written as the byte itself, as other programs do, it reads the same here.
namespace IniValue {

// The text the value spelled as written stands for.
QString fromFile(QStringView written);

// How value is written: as QSettings' INI format writes text, which fromFile() reads back.
QString toFile(const QString &value);

} // namespace IniValue

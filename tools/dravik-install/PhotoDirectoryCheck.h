#pragma once

#include <QString>

// Whether a directory is one the saver can show photographs from. Directories are named in
// FileName's lossless text form, so a name that is not UTF-8 is checked and recorded as it is.
namespace PhotoDirectoryCheck {

// Empty when the saver can show the directory's photographs, otherwise why not.
QString refusal(const QString &directory);
// The directory as the saver's settings hold it: absolute, normalised, with one trailing
// separator, so that the saver reads exactly the prefix it concatenates file names to.
QString recordedForm(const QString &directory);
// True when the captions can be decoded: the directory is named "draviks" in some case.
bool hasCaptionName(const QString &recordedDirectory);

} // namespace PhotoDirectoryCheck

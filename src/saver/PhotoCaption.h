#pragma once

#include <QString>

// The caption for a photo, decoded from its path. The two characters after the directory
// named "draviks" (in any case) and its separator are the code: a category of the
// collection, or the last two digits of a model year ("67" for 1967, "02" for 2002). Where
// the path holds no "draviks", the code is read at positions 8 and 9 of the whole path.
// Positions count UTF-16 code units; case mapping never changes them. The path may be in
// FileName's lossless form: the caption is decoded from the path as shown, where each byte
// of a name that is not UTF-8 is one U+FFFD.
QString CaptionFromPath(const QString &path);

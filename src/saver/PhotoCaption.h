#pragma once

#include <QString>

// The caption for a photo, decoded from its path. The two characters after the directory
// named "draviks" (in any case) and its separator are the code: a category of the
// collection, or the last two digits of a model year ("67" for 1967, "02" for 2002). Where
// the path holds no "draviks", the code is read at positions 8 and 9 of the whole path.
// Positions count UTF-16 code units; case mapping never changes them.
QString CaptionFromPath(const QString &path);

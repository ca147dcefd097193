#pragma once

#include <QString>

// The application title as users and the collection's software know it, written out here
// rather than taken from the program, so the tests notice if the program's own ever changes.
inline const QString kApplicationTitle = QStringLiteral("SCRNSAVE: The Dravik Quintavel 2001");

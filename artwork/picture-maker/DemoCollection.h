#pragma once

#include <QString>

// Writes the demo photo collection into `folder`. The first two characters of each file name
// are the code the saver turns into a caption: a model year or a category of the collection.
void writeDemoCollection(const QString &folder);

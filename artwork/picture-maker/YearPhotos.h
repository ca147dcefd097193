#pragma once

#include <QImage>

// A demo photo of a Dravik of the given model year, in that era's styling, with the year
// painted small in a corner. Years: 1957, 1963, 1967, 1972, 1978, 1984, 1991, 1996, 2001,
// 2004 and 2008; any other year throws std::invalid_argument.
QImage yearPhoto(int modelYear);

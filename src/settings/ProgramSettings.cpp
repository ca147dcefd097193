#include "settings/ProgramSettings.h"

qint32 IntervalSeconds = 0;
qint32 IntervalMs = 0;
QString PhotoDir;

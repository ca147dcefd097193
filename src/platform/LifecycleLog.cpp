#include "LifecycleLog.h"

Q_LOGGING_CATEGORY(lcLifecycle, "dravik.lifecycle", QtWarningMsg)

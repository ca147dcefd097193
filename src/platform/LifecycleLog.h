#pragma once

#include <QLoggingCategory>

// How the program starts and ends: which handlers ran and what the cursor count was.
// Off by default; QT_LOGGING_RULES="dravik.lifecycle.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcLifecycle)

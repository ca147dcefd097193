#pragma once

#include <QString>

// Whether the real program's lifecycle log (QT_LOGGING_RULES="dravik.lifecycle.debug=true")
// tells that it closed through the form's close handlers, as a termination signal closes
// it: Form_QueryUnload and then Form_Unload, each giving the pointer back, and never the
// program's own end, which a key or a click takes.
bool ClosedThroughCloseHandlers(const QString &log);

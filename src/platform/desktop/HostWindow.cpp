#include "platform/desktop/HostWindow.h"

HostWindow::~HostWindow() = default;

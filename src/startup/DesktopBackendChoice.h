#pragma once

#include "platform/desktop/DesktopBackend.h"

#include <memory>

// The backend for the desktop this program runs on; the one place that chooses among them.
std::unique_ptr<DesktopBackend> chosenDesktopBackend();

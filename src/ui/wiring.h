// Connects the main window's events to the handlers of the start-up, file-list and run parts.
#pragma once

#include "platform/ports.h"
#include "ui/main_window.h"

namespace brintova {

void WireHandlers(MainWindow& window, Ports& ports);

}  // namespace brintova

// Connects the main window's events to the handlers of the start-up, file-list and run parts.
#pragma once

#include "platform/ports.h"
#include "wiring/window_events.h"

namespace brintova {

void WireHandlers(MainWindowEvents& events, Ports& ports);

}  // namespace brintova

// "Start Extracting": for every listed workbook, open it in a fresh instance, ask for the
// chosen operation's parameter, run the operation and leave the results in a visible instance.
#pragma once

#include "platform/ports.h"

namespace brintova {

// The guarded click handler of PushButton7. Every step reports its own line on failure and the
// run goes on; only the window, dialogs and server ports are used, so a headless front end can
// drive it through its own adapters.
void PushButton7_Click(Ports& ports);

}  // namespace brintova

// Where the Windows program gets its spreadsheet server: the spreadsheet application driven
// through automation. The window's executable links exactly one library that defines
// MakeAutomationServer: brintova_com_automation (src/win32ui/) over the automation layer of
// src/platform/com/ when the build has it, otherwise brintova_no_automation, whose server
// answers every request with the system's usual failure. Call it on the window's thread.
#pragma once

#include <memory>

#include "platform/spreadsheet_server.h"

namespace brintova {

std::unique_ptr<SpreadsheetServer> MakeAutomationServer();

}  // namespace brintova

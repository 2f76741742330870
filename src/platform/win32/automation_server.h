// Where the Windows program gets its spreadsheet server: the spreadsheet application driven
// through automation. The window's executable links exactly one library that defines
// MakeAutomationServer: the automation layer when the build has it, otherwise
// brintova_no_automation, whose server answers every request with the system's usual failure.
#pragma once

#include <memory>

#include "platform/spreadsheet_server.h"

namespace brintova {

std::unique_ptr<SpreadsheetServer> MakeAutomationServer();

}  // namespace brintova

// The helpers between the run and the spreadsheet server: opening a listed workbook in a fresh
// instance, finding out whether an instance is already running, and warning about one.
#pragma once

#include <memory>
#include <string_view>

#include "platform/dialogs.h"
#include "platform/spreadsheet_server.h"

namespace brintova::ExcelExtract {

inline constexpr std::u16string_view kExcelOpenWarningText =
    u"Excel may be open. It is recommended that you close Excel first."
    u"\rUse Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary."
    u"\r\n\r\nWould you like to proceed anyway?";

// A new, invisible instance with the workbook at `path` opened in it. A path ending in exactly
// "xlt" (case-sensitive) is opened by name and editable: the template itself, not a copy.
// Throws Failure when the instance cannot be created, the path is shorter than three
// characters, or Open fails; the instance created by then is left as it is.
std::shared_ptr<Application> OpenWorkbookInNewExcel(SpreadsheetServer& server,
                                                    std::u16string_view path);

// Whether a running instance answers "Microsoft Excel". Every failure counts as no.
bool IsExcelRunning(SpreadsheetServer& server);

// True means stop: an instance runs and the user answered No to the warning.
bool ExcelOpenWarning(SpreadsheetServer& server, Dialogs& dialogs);

}  // namespace brintova::ExcelExtract

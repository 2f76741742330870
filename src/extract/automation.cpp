#include "extract/automation.h"

#include <exception>

#include "platform/failure.h"

namespace brintova::ExcelExtract {

std::shared_ptr<Application> OpenWorkbookInNewExcel(SpreadsheetServer& server,
                                                    std::u16string_view path) {
  std::shared_ptr<Application> application = server.CreateObject(kSpreadsheetProgId);
  if (path.size() < 3) {
    throw Failure(u"Invalid procedure call or argument", kFailureInvalidArgument);
  }
  if (path.substr(path.size() - 3) == u"xlt") {
    application->Workbooks().Open(OpenArguments{std::u16string(path), /*editable=*/true});
  } else {
    application->Workbooks().Open(path);
  }
  return application;
}

bool IsExcelRunning(SpreadsheetServer& server) {
  try {
    const std::shared_ptr<Application> running = server.GetObject(kSpreadsheetProgId);
    return running->Value() == u"Microsoft Excel";
  } catch (const std::exception&) {
    // No instance runs, or it does not answer: either way there is nothing to warn about.
    return false;
  }
}

bool ExcelOpenWarning(SpreadsheetServer& server, Dialogs& dialogs) {
  if (!IsExcelRunning(server)) return false;
  return dialogs.MessageBox(kExcelOpenWarningText, MessageButtons::kYesNo, MessageIcon::kNone,
                            kApplicationTitle) == MessageResult::kNo;
}

}  // namespace brintova::ExcelExtract

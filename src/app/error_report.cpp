#include "app/error_report.h"

#include "platform/text.h"

namespace brintova {

std::u16string HandlerErrorMessage(std::u16string_view description,
                                   std::u16string_view location_tag, std::int32_t line) {
  std::u16string message(description);
  message += u"\r\n";
  message += location_tag;
  message += u"at line ";
  message += DecimalText(line);
  message += u"\r\r";
  message += u"Please email screenshot of this message to ";
  message += kSupportAddress;
  return message;
}

void ReportHandlerError(Dialogs& dialogs, std::u16string_view description,
                        std::u16string_view location_tag, std::int32_t line) {
  dialogs.MessageBox(HandlerErrorMessage(description, location_tag, line), MessageButtons::kOk,
                     MessageIcon::kExclamation, u"Application Error");
}

void GuardedHandler::Report(std::u16string_view description) {
  ReportHandlerError(*dialogs_, description, location_tag_, current_line_);
}

void GuardedHandler::ReportUtf8(const char* description) { Report(ToUtf16(description)); }

}  // namespace brintova

// The spreadsheet server of a build without the automation layer: nothing can be created or
// found, as on a machine without the spreadsheet application.
#include "platform/failure.h"
#include "platform/win32/automation_server.h"

namespace brintova {

namespace {

constexpr std::int32_t kFailureCannotCreateObject = 429;

class NoAutomationServer : public SpreadsheetServer {
 public:
  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override {
    throw Failure(u"ActiveX component can't create object \"" + std::u16string(prog_id) +
                      u"\": this build of Brintova cannot drive the spreadsheet application",
                  kFailureCannotCreateObject);
  }
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override {
    throw Failure(u"ActiveX component can't create object \"" + std::u16string(prog_id) +
                      u"\": this build of Brintova cannot drive the spreadsheet application",
                  kFailureCannotCreateObject);
  }
};

}  // namespace

std::unique_ptr<SpreadsheetServer> MakeAutomationServer() {
  return std::make_unique<NoAutomationServer>();
}

}  // namespace brintova

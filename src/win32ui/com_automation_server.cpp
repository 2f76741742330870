// The Windows program's spreadsheet server: the spreadsheet application through the automation
// layer, with the calling thread in its automation apartment (and the filter that retries calls
// the application rejects while busy) for as long as the server lives.
#include <optional>

#include "platform/com/com_server.h"
#include "platform/com/message_filter.h"
#include "platform/failure.h"
#include "platform/win32/automation_server.h"

namespace brintova {

namespace {

class ApartmentServer : public SpreadsheetServer {
 public:
  ApartmentServer() {
    try {
      apartment_.emplace();
    } catch (const Failure&) {
      // The thread cannot use automation: every request fails, and start-up warns.
    }
  }
  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override {
    return server_.CreateObject(prog_id);
  }
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override {
    return server_.GetObject(prog_id);
  }

 private:
  std::optional<com::ComApartment> apartment_;  // first in, last out
  com::ComSpreadsheetServer server_;
};

}  // namespace

std::unique_ptr<SpreadsheetServer> MakeAutomationServer() {
  return std::make_unique<ApartmentServer>();
}

}  // namespace brintova

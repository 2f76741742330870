// A spreadsheet server port for builds without a spreadsheet engine: every request fails with
// a description that says so, so start-up warns and the file list stays usable.
#pragma once

#include "platform/failure.h"
#include "platform/spreadsheet_server.h"

namespace brintova {

class UnavailableServer : public SpreadsheetServer {
 public:
  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override {
    throw Failure(u"Cannot start \"" + std::u16string(prog_id) +
                      u"\": this build of Brintova has no spreadsheet engine",
                  429);
  }
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override {
    throw Failure(u"No running \"" + std::u16string(prog_id) +
                      u"\": this build of Brintova has no spreadsheet engine",
                  429);
  }
};

}  // namespace brintova

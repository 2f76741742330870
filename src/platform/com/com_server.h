// The spreadsheet server port over the spreadsheet application itself, driven as an
// out-of-process automation server by member name (no type library). Each object of the port
// holds its automation object only while the caller holds it, so an instance that was told to
// quit ends once the run lets go of it, and a visible one stays with the user.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/spreadsheet_server.h"

namespace brintova::com {

class ObjectCache;

class ComSpreadsheetServer : public SpreadsheetServer {
 public:
  // `application_prog_id` is what a request for "Excel.Application" creates or looks up; tests
  // point it at a stand-in server. Other ProgIDs are asked for as given. The calling thread
  // must be in an automation apartment (ComApartment).
  // `block_reads` false makes every walk visit every position (to measure what the block reads
  // save).
  explicit ComSpreadsheetServer(std::u16string application_prog_id = u"Excel.Application",
                                bool block_reads = true);
  ~ComSpreadsheetServer() override;

  // Throws Failure when the ProgID is unknown ("not installed") or the server does not start.
  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override;
  // Throws Failure when no instance is registered as running.
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override;

 private:
  std::u16string Resolve(std::u16string_view prog_id) const;

  std::u16string application_prog_id_;
  std::shared_ptr<ObjectCache> cache_;
};

}  // namespace brintova::com

// RecordingServer: wraps any spreadsheet server and appends every port call, in order, to one
// log, so tests can check the order of the program's calls on the fake or on the real engine.
//
// Entries name the object the call went to: "app1" for the first instance created through the
// wrapper (or found by GetObject), "<workbook name>" for a workbook, "<workbook>!<sheet>" for a
// sheet, named when the wrapper first handed them out:
//   "CreateObject Excel.Application -> app1", "app1.Workbooks.Open C:\a.xlsx",
//   "a.xlsx.Sheets.Add before=Data", "a.xlsx!Sheet1.Cells(2,3).Value=AB",
//   "Book1!Sheet1.Cells(2,3).NumberFormat=@", "app1.Visible=true", "app1.Quit".
// A call that throws is followed by the entry "failed: <description>".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/spreadsheet_server.h"

namespace brintova::testing {

class RecordingServer : public SpreadsheetServer {
 public:
  explicit RecordingServer(SpreadsheetServer& inner) : inner_(&inner) {}

  std::vector<std::string> log;
  // When false, cell reads (Text, NextCellWithContent) and UsedRange are not logged: a walk over
  // a large sheet then logs only its writes.
  bool log_reads = true;

  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override;
  std::shared_ptr<Application> GetObject(std::u16string_view prog_id) override;

  // Entries whose text starts with `prefix`, in order.
  std::vector<std::string> EntriesStartingWith(const std::string& prefix) const;
  // Position of the first entry equal to `entry` at or after `from`, or -1.
  int IndexOf(const std::string& entry, int from = 0) const;

  // Used by the wrappers.
  std::string NextApplicationLabel() { return "app" + std::to_string(++applications_); }

 private:
  SpreadsheetServer* inner_;
  int applications_ = 0;
};

}  // namespace brintova::testing

// What the automation tests need around the stand-in spreadsheet application: its ProgID in
// the test prefix, its call log and process, empty files named as its fixture workbooks, and
// an automation apartment for the whole test program.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/com/com_server.h"
#include "platform/com/message_filter.h"

namespace brintova::com::testing {

// Registered by the test fixture "standin" (tests/com/CMakeLists.txt).
inline constexpr std::u16string_view kStandInProgId = u"Brintova.StandIn";

class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { apartment_ = std::make_unique<ComApartment>(); }
  void TearDown() override { apartment_.reset(); }

 private:
  std::unique_ptr<ComApartment> apartment_;
};

// A server whose "Excel.Application" is the stand-in.
inline ComSpreadsheetServer StandInServer() {
  return ComSpreadsheetServer(std::u16string(kStandInProgId));
}

// The calls the instance received since the last look, one per line ("Workbooks.Open x").
std::u16string StandInCalls(Application& application);
DWORD StandInProcessId(Application& application);
// How many stand-in processes run now.
int StandInProcesses();
// True when the process ends within `milliseconds`.
bool ProcessEnds(DWORD process_id, DWORD milliseconds);

// A folder of empty files named as the stand-in's fixture workbooks; removed when it goes.
class FixtureFiles {
 public:
  FixtureFiles();
  ~FixtureFiles();
  std::u16string Path(std::u16string_view name) const {
    return folder_ + u"\\" + std::u16string(name);
  }

 private:
  std::u16string folder_;
};

}  // namespace brintova::com::testing

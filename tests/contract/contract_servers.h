// The servers the contract cases run against, and the workbook files they all know: the fake
// server with the files' content registered by hand, the same fake when it cannot tell where
// content lies, and the embedded engine reading the files themselves
// (tests/data/contract_make_fixtures.py writes them).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/spreadsheet_server.h"

namespace brintova {

inline void PrintTo(const CellPosition& cell, std::ostream* out) {
  *out << "(row " << cell.row << ", column " << cell.column << ")";
}

}  // namespace brintova

namespace brintova::contract {

// Tab order: Data, Chart1 (chart sheet), Secret (hidden), FromC5, Empty.
inline constexpr std::string_view kBook = "contract_book.xlsx";
// Worksheets "Sheet1", "SHEET2", "Sheet4", each with its own name in A1.
inline constexpr std::string_view kSheetNames = "contract_sheet_names.xlsx";
// The same sheets saved by LibreOffice as OpenDocument, and as binary records.
inline constexpr std::string_view kSheetNamesOds = "contract_sheet_names.ods";
inline constexpr std::string_view kSheetNamesXlsb = "contract_sheet_names.xlsb";

// The full path of a file in the test data folder (it need not exist).
std::u16string DataFile(std::string_view name);

struct ServerUnderTest {
  std::string name;
  std::function<std::unique_ptr<SpreadsheetServer>()> make;
  // Value := "00123" on a cell not formatted as text stores a number, as the spreadsheet
  // application does; the program formats every result cell as text first.
  bool retypes_values = false;
  // With several visible instances, GetObject answers any of them (the system's table of
  // running objects chooses), not the one shown last.
  bool running_instance_is_any_visible = false;
};

// The fakes, then the servers of this build (contract_engine.cpp or contract_automation.cpp).
std::vector<ServerUnderTest> ServersUnderTest();
std::vector<ServerUnderTest> BuildServersUnderTest();

inline void PrintTo(const ServerUnderTest& server, std::ostream* out) { *out << server.name; }

inline std::string ServerName(const ::testing::TestParamInfo<ServerUnderTest>& info) {
  return info.param.name;
}

// The description of the Failure that `call` throws; a test failure when it throws none.
template <typename Call>
std::u16string FailureOf(Call&& call) {
  try {
    call();
  } catch (const Failure& failure) {
    return failure.description();
  }
  ADD_FAILURE() << "the call succeeded where a failure was expected";
  return {};
}

std::vector<std::u16string> NamesOf(const std::vector<std::shared_ptr<Sheet>>& sheets);
std::vector<std::u16string> SheetNames(Workbook& workbook);  // Sheets(1..Count), in order
std::shared_ptr<Sheet> SheetNamed(Workbook& workbook, std::u16string_view name);

// A fresh server per case, created from the parameter.
class ServerContract : public ::testing::TestWithParam<ServerUnderTest> {
 protected:
  void SetUp() override { server_ = GetParam().make(); }

  SpreadsheetServer& server() { return *server_; }
  std::shared_ptr<Application> NewInstance() { return server_->CreateObject(kSpreadsheetProgId); }
  std::shared_ptr<Workbook> Open(Application& app, std::string_view file) {
    return app.Workbooks().Open(DataFile(file));
  }

 private:
  std::unique_ptr<SpreadsheetServer> server_;
};

}  // namespace brintova::contract

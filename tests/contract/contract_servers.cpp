#include "contract/contract_servers.h"

#include "fakes/fake_server.h"
#include "platform/text.h"

namespace brintova::contract {

namespace {

using testing::ChartSheet;
using testing::FakeServer;
using testing::Worksheet;

// What the fixture files hold (and tests/data/standin/contract.txt tells the stand-in), as the fake
// is told it: displayed texts. B4 of Data has a format and no value, so it shows nothing but
// belongs to the used range.
void RegisterFixtures(FakeServer& server) {
  server.AddFile(DataFile(kBook),
                 {Worksheet(u"Data", {{"A1", u"alpha"},
                                      {"B1", u"1,234.50"},
                                      {"A2", u"3"},
                                      {"C2", u"gamma"},
                                      {"D3", u"delta"},
                                      {"B4", u""}}),
                  ChartSheet(u"Chart1"), Worksheet(u"Secret", {{"A1", u"hidden text"}}),
                  Worksheet(u"FromC5", {{"C5", u"ABCDEF"}, {"E9", u"xyz"}}), Worksheet(u"Empty")});
  for (std::string_view file : {kSheetNames, kSheetNamesOds, kSheetNamesXlsb}) {
    server.AddFile(DataFile(file), {Worksheet(u"Sheet1", {{"A1", u"Sheet1"}}),
                                    Worksheet(u"SHEET2", {{"A1", u"SHEET2"}}),
                                    Worksheet(u"Sheet4", {{"A1", u"Sheet4"}})});
  }
}

std::unique_ptr<SpreadsheetServer> MakeFake(bool answers_next_cell) {
  auto server = std::make_unique<FakeServer>();
  server->answers_next_cell = answers_next_cell;
  RegisterFixtures(*server);
  return server;
}

}  // namespace

std::u16string DataFile(std::string_view name) {
  return ToUtf16(std::string(BRINTOVA_TEST_DATA) + "/" + std::string(name));
}

std::vector<ServerUnderTest> ServersUnderTest() {
  std::vector<ServerUnderTest> servers = {
      {"Fake", [] { return MakeFake(true); }},
      {"FakeWithoutNextCell", [] { return MakeFake(false); }},
  };
  for (ServerUnderTest& server : BuildServersUnderTest()) servers.push_back(std::move(server));
  return servers;
}

std::vector<std::u16string> NamesOf(const std::vector<std::shared_ptr<Sheet>>& sheets) {
  std::vector<std::u16string> names;
  for (const auto& sheet : sheets) names.push_back(sheet->Name());
  return names;
}

std::vector<std::u16string> SheetNames(Workbook& workbook) {
  std::vector<std::u16string> names;
  for (std::int32_t i = 1; i <= workbook.Sheets().Count(); ++i) {
    names.push_back(workbook.Sheets().Item(i)->Name());
  }
  return names;
}

std::shared_ptr<Sheet> SheetNamed(Workbook& workbook, std::u16string_view name) {
  for (std::int32_t i = 1; i <= workbook.Sheets().Count(); ++i) {
    auto sheet = workbook.Sheets().Item(i);
    if (sheet->Name() == name) return sheet;
  }
  throw Failure(u"The workbook has no sheet " + std::u16string(name));
}

}  // namespace brintova::contract

// The legacy reader over fixtures written by LibreOffice (tests/data/legacy_make_fixtures.py).
#include "engine/legacy/legacy_workbook_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::legacy {
namespace {

std::u16string Data(const std::string& name) {
  return TextFromNativePath(std::string(BRINTOVA_TEST_DATA) + "/" + name);
}

std::string Shown(const model::Workbook& book, std::size_t sheet, std::int32_t row,
                  std::int32_t column) {
  std::u16string text;
  const model::Sheet& s = book.sheet(sheet);
  model::DisplayedText(book, s, s.Find(row, column), text);
  return ToUtf8(text);
}

std::string FailureOf(std::u16string_view path) {
  try {
    OpenWorkbookFile(path);
  } catch (const Failure& f) {
    return ToUtf8(f.description());
  }
  return "(no failure)";
}

TEST(ReadLegacyWorkbook, ReadsSheetsInOrderWithTheirValues) {
  const auto book = OpenWorkbookFile(Data("legacy_values.xls"));
  EXPECT_EQ(book->source().kind, model::SourceKind::kXls);
  std::vector<std::u16string> names;
  for (std::size_t i = 0; i < book->SheetCount(); ++i) names.push_back(book->sheet(i).name());
  EXPECT_EQ(names,
            (std::vector<std::u16string>{u"Values", u"Hidden one", u"Données ünï", u"Empty"}));
  struct Case {
    std::int32_t row, column;
    std::string shown;
  };
  // Number formats are not available through freexl: numbers show General, dates and times
  // the application's default date, date-time and time formats.
  const std::vector<Case> cases = {
      {1, 1, "text"},    {2, 1, "Café-42"},   {2, 2, "123"},       {2, 3, "0.5"},
      {3, 2, "-7"},      {3, 3, "1234.5678"}, {2, 5, "2/29/2024"}, {2, 6, "12/31/2023 13:45"},
      {2, 7, "7:05:09"}, {3, 5, "1/1/1999"},  {3, 7, "23:59:59"},  {5, 10, "last"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shown(*book, 0, c.row, c.column), c.shown) << c.row << "," << c.column;
  }
  // What freexl does not hand over at all, and the README says is lost: truth values (D2 holds
  // TRUE), formula results (H1 holds =B2*2, cached 246) and sheet visibility.
  EXPECT_EQ(Shown(*book, 0, 2, 4), "");
  EXPECT_EQ(Shown(*book, 0, 1, 8), "");
  EXPECT_EQ(book->sheet(1).visibility(), model::Visibility::kVisible);
  EXPECT_EQ(Shown(*book, 2, 3, 2), "x");
  EXPECT_TRUE(book->sheet(3).used_range().empty());
}

TEST(ReadLegacyWorkbook, RefusesPasswordsAndOtherFiles) {
  EXPECT_EQ(FailureOf(Data("legacy_password.xls")),
            "This workbook is encrypted with a password: " + ToUtf8(Data("legacy_password.xls")));
  const std::string fake = testing::TempDir() + "legacy_not_really.xls";
  std::ofstream(fake, std::ios::binary) << "id,name\n1,x\n";
  const std::string message = FailureOf(TextFromNativePath(fake));
  std::remove(fake.c_str());
  EXPECT_EQ(message.rfind("Not a workbook: ", 0), 0u) << message;
}

// A string whose length runs past its record makes freexl read past a buffer of its own (found
// by legacy_fuzz); the reader must answer with a failure or a workbook, and the program lives on.
TEST(ReadLegacyWorkbook, SurvivesFreexlOnADamagedString) {
  const std::u16string path = Data("legacy_damaged_string.xls");
  std::string message;
  try {
    const auto book = OpenWorkbookFile(path);
    EXPECT_GT(book->SheetCount(), 0u);
  } catch (const Failure& f) {
    message = ToUtf8(f.description());
    EXPECT_EQ(message.rfind("Cannot open " + ToUtf8(path) + ": ", 0), 0u) << message;
  }
  // The same file again, and a sound one after it: nothing was left behind by the first.
  EXPECT_EQ(FailureOf(path), message.empty() ? "(no failure)" : message);
  EXPECT_EQ(OpenWorkbookFile(Data("legacy_values.xls"))->SheetCount(), 4u);
}

TEST(DateSerialFromText, NumbersDatesAsTheApplicationDoes) {
  struct Case {
    const char* text;
    bool ok;
    double serial;
  };
  const std::vector<Case> cases = {
      {"1900-01-01", true, 1},     {"1900-02-28", true, 59}, {"1900-03-01", true, 61},
      {"2024-02-29", true, 45351}, {"1899-12-31", false, 0}, {"2024-13-01", false, 0},
      {"2024-1-01", false, 0},     {"not a date", false, 0},
  };
  for (const Case& c : cases) {
    double serial = -1;
    EXPECT_EQ(DateSerialFromText(c.text, &serial), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(serial, c.serial) << c.text;
    }
  }
  double fraction = 0;
  ASSERT_TRUE(TimeFractionFromText("18:00:00", &fraction));
  EXPECT_DOUBLE_EQ(fraction, 0.75);
  EXPECT_FALSE(TimeFractionFromText("24:00:00", &fraction));
}

}  // namespace
}  // namespace brintova::engine::legacy

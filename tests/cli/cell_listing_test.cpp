// The listing of "brintova-cli text": addresses, escapes, and a workbook written by XlsxWriter.
#include "cli/cell_listing.h"

#include <gtest/gtest.h>

#include "cli/run_command.h"
#include "cli_test_support.h"

namespace brintova::cli {
namespace {

using testing::DataPath;
using testing::RunInProcess;

TEST(CellAddress, WritesColumnLettersThenRow) {
  EXPECT_EQ(CellAddress({1, 1}), "A1");
  EXPECT_EQ(CellAddress({9, 26}), "Z9");
  EXPECT_EQ(CellAddress({10, 27}), "AA10");
  EXPECT_EQ(CellAddress({3, 52}), "AZ3");
  EXPECT_EQ(CellAddress({1, 702}), "ZZ1");
  EXPECT_EQ(CellAddress({1048576, 16384}), "XFD1048576");
}

TEST(EscapeField, EscapesBackslashTabCrLfOnly) {
  EXPECT_EQ(EscapeField(u"a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
  EXPECT_EQ(EscapeField(u"\\n"), "\\\\n");  // a written "\n" stays apart from a line feed
  EXPECT_EQ(EscapeField(u"Caf\u00e9 \"q\" \x0b"), "Caf\xc3\xa9 \"q\" \x0b");
  EXPECT_EQ(EscapeField(u""), "");
}

TEST(TextCommand, ListsEveryShownCellEscaped) {
  const auto result = RunInProcess({"text", DataPath("text_escapes.xlsx")});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "Escapes\tA1\tC:\\\\path\\\\file\n"
            "Escapes\tB1\ta\\tb\n"
            "Escapes\tA2\tline 1\\nline 2\n"
            "Escapes\tB2\tcr\\rlf\\r\\n\n"
            "Escapes\tC2\t1,234.50\n"
            "Escapes\tAA10\tfar\n"
            "Second sheet\tB1\t\\\\t is not a tab\n");
}

TEST(TextCommand, ReportsAFileItCannotOpen) {
  testing::ScratchFolder scratch;
  const auto missing = RunInProcess({"text", scratch.File("missing.xlsx")});
  EXPECT_EQ(missing.status, kExitFailure);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("missing.xlsx"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace brintova::cli

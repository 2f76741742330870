// The listing of "brintova-cli text": addresses, escapes, and a workbook written by XlsxWriter.
#include "cli/cell_listing.h"

#include <gtest/gtest.h>

#include "cli/headless_ports.h"
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

TEST(EscapeField, EscapesBackslashTabCrLfAndEveryOtherControl) {
  EXPECT_EQ(EscapeField(u"a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
  EXPECT_EQ(EscapeField(u"\\n"), "\\\\n");  // a written "\n" stays apart from a line feed
  EXPECT_EQ(EscapeField(u"Caf\u00e9 \"q\" \x0b"), "Caf\xc3\xa9 \"q\" \\x0b");
  // C0, DEL and C1 controls would drive the terminal: ESC, BEL, the single-character CSI.
  EXPECT_EQ(EscapeField(u"\x1b[1m\x07\x7f\u0085\u009b\u00a0"),
            "\\x1b[1m\\x07\\x7f\\x85\\x9b\xc2\xa0");
  EXPECT_EQ(EscapeField(u""), "");
}

// A character cut in two by "last x characters" keeps its half: listed as the code unit it
// is, never as a replacement character that would read back as something else.
TEST(EscapeField, WritesHalfASurrogatePairAsItsCodeUnit) {
  const std::u16string cut = std::u16string(u"a") + char16_t(0xD83D);
  EXPECT_EQ(EscapeField(cut), "a\\uD83D");
  EXPECT_EQ(EscapeField(std::u16string(1, char16_t(0xDE00)) + u"b"), "\\uDE00b");
  EXPECT_EQ(EscapeField(u"\U0001F600"), "\xF0\x9F\x98\x80");  // a whole pair stays one character
  EXPECT_EQ(EscapeField(u"\\uD83D"), "\\\\uD83D");            // a typed "\uD83D" stays apart
}

TEST(TerminalText, KeepsLinesAndEscapesOtherControls) {
  EXPECT_EQ(TerminalText(u"line 1\r\nline 2\rline 3\n\tx"), "line 1\nline 2\nline 3\n\tx");
  EXPECT_EQ(TerminalText(u"/tmp/\x1b]0;x\x07.xlsx \u009b"), "/tmp/\\x1b]0;x\\x07.xlsx \\x9b");
  EXPECT_EQ(TerminalText(std::string_view("bad \x1b[2J name")), "bad \\x1b[2J name");
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

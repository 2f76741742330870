// The listing of "brintova-cli text": addresses, escapes, and a workbook written by XlsxWriter.
#include "cli/cell_listing.h"

#include <gtest/gtest.h>

#include <fstream>

#include "cli/headless_ports.h"
#include "cli/run_command.h"
#include "cli_test_support.h"
#include "support/raw_zip.h"

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

// A sheet of many cells is listed in chunks rendered on two threads and written in order: every
// line comes out once, in row order, with the blank texts left out, on each of two sheets.
TEST(TextCommand, ListsALargeSheetInOrder) {
  constexpr int kRows = 30000;  // 120,000 cells with a value: several chunks of each kind
  std::string cells, expected;
  for (int r = 1; r <= kRows; ++r) {
    const std::string n = std::to_string(r);
    cells += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c>" + "<c r=\"B" + n +
             "\" t=\"inlineStr\"><is><t>b\t" + n + "</t></is></c>" + "<c r=\"C" + n +
             "\" t=\"inlineStr\"><is><t></t></is></c>" + "<c r=\"E" + n + "\" t=\"b\"><v>" +
             std::to_string(r % 2) + "</v></c></row>";
    expected += "Big\tA" + n + "\t" + n + "\nBig\tB" + n + "\tb\\t" + n + "\n" + "Big\tE" + n +
                "\t" + (r % 2 ? "TRUE" : "FALSE") + "\n";
  }
  expected += "Small\tC3\tlast\n";
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string sheet_type = rels + "/worksheet";
  const std::vector<testfiles::RawZipEntry> entries{
      {"[Content_Types].xml",
       R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
       R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
       R"(<Default Extension="xml" ContentType="application/xml"/>)"
       R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
       R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
       R"(<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
       R"(</Types>)"},
      {"_rels/.rels",
       R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
       R"(<Relationship Id="rId1" Type=")" +
           rels + R"(/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rels +
           "\"><sheets><sheet name=\"Big\" sheetId=\"1\" r:id=\"rId1\"/>"
           "<sheet name=\"Small\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
       R"(<Relationship Id="rId1" Type=")" +
           sheet_type +
           R"(" Target="worksheets/sheet1.xml"/>)"
           R"(<Relationship Id="rId2" Type=")" +
           sheet_type +
           R"(" Target="worksheets/sheet2.xml"/>)"
           R"(</Relationships>)"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns=\"" + main + "\"><sheetData>" + cells + "</sheetData></worksheet>"},
      {"xl/worksheets/sheet2.xml",
       "<worksheet xmlns=\"" + main +
           "\"><sheetData><row r=\"3\"><c r=\"C3\" t=\"inlineStr\"><is><t>last</t></is></c>"
           "</row></sheetData></worksheet>"},
  };
  testing::ScratchFolder scratch;
  const std::string path = scratch.File("large.xlsx");
  std::ofstream(path, std::ios::binary) << testfiles::MakeRawZip(entries);
  const auto result = RunInProcess({"text", path});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  ASSERT_EQ(result.out.size(), expected.size());
  EXPECT_TRUE(result.out == expected);  // not printed: megabytes
}

}  // namespace
}  // namespace brintova::cli

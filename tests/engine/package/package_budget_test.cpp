// What one workbook may cost: text cut to what a cell holds, a budget of unpacked bytes, cells
// and formats per package, tags and nesting bounded, and memory running out reported as such.
// The files are small and made here; the limits are lowered to meet them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "engine/model/workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/text.h"
#include "support/raw_zip.h"
#include "test_package.h"

namespace brintova::engine::package {
namespace {

using testing::Entries;
using testing::MakeZip;
using testing::MinimalWorkbook;

ReadResult Read(const std::string& bytes, const ReadLimits& limits = {}) {
  return ReadXlsxBuffer(bytes.data(), bytes.size(), limits);
}

std::u16string TextAt(const ReadResult& result, int row, int column) {
  std::u16string out;
  const model::Sheet& sheet = result.workbook->sheet(0);
  model::DisplayedText(*result.workbook, sheet, sheet.Find(row, column), out);
  return out;
}

// True when `text` is `count` times `c`; says what it is instead when not (texts this long are
// not worth printing whole).
::testing::AssertionResult Repeats(const std::u16string& text, std::size_t count, char16_t c) {
  if (text == std::u16string(count, c)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "a text of " << text.size() << " code units, not " << count << " times one character";
}

std::string Cells(int count) {
  std::string rows;
  for (int i = 1; i <= count; ++i) {
    rows += "<row r=\"" + std::to_string(i) + "\"><c><v>" + std::to_string(i) + "</v></c></row>";
  }
  return rows;
}

void ExpectRefused(const ReadResult& result, const std::string& expected) {
  ASSERT_FALSE(result.ok()) << "read although it should be refused with: " << expected;
  EXPECT_NE(result.error.description.find(expected), std::string::npos) << result.error.description;
}

TEST(PackageBudget, CellTextIsCutToWhatACellHolds) {
  // One shared string of 100,000 characters in three cells; an inline string whose emoji
  // straddles the limit; a formula string of 50,000 characters.
  const std::string long_shared(100000, 's');
  const std::string inline_text = std::string(32766, 'i') + "\xF0\x9F\x98\x80" + "tail";
  const ReadResult result = Read(MakeZip(MinimalWorkbook(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>0</v></c>)"
      R"(<c r="C1" t="s"><v>0</v></c></row><row r="2"><c r="A2" t="inlineStr"><is><t>)" +
          inline_text + R"(</t></is></c><c r="B2" t="str"><f>x</f><v>)" + std::string(50000, 'f') +
          "</v></c></row>",
      "",
      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>" +
          long_shared + "</t></si></sst>")));
  ASSERT_TRUE(result.ok()) << result.error.description;
  for (int column = 1; column <= 3; ++column) {
    EXPECT_TRUE(Repeats(TextAt(result, 1, column), 32767, u's')) << column;
  }
  // The three cells share the one copy of the table's string.
  EXPECT_EQ(result.workbook->shared_strings().CharCount(), 32767u);
  // Cut before the emoji rather than through it.
  EXPECT_TRUE(Repeats(TextAt(result, 2, 1), 32766, u'i'));
  EXPECT_TRUE(Repeats(TextAt(result, 2, 2), 32767, u'f'));
}

TEST(PackageBudget, RefusesAPackageThatUnpacksPastItsBudget) {
  ReadLimits limits;
  limits.zip.max_package_bytes = 1u << 20;
  // A sheet and a string table of 600 KB each: neither alone is too large, both together are.
  const std::string bytes = MakeZip(
      MinimalWorkbook("<row r=\"1\"><c><v>1</v></c></row>" + std::string(600u << 10, ' '), "",
                      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                          std::string(600u << 10, ' ') + "<si><t>x</t></si></sst>"));
  EXPECT_TRUE(Read(bytes).ok());
  ExpectRefused(Read(bytes, limits), "its parts unpack to more than 1 MB");

  // A part whose directory claims a tenth of what it holds is stopped where the claim ends,
  // before its true size is inflated.
  std::vector<testfiles::RawZipEntry> raw;
  for (const auto& [name, data] : MinimalWorkbook(std::string(200000, ' '))) {
    raw.emplace_back(name, data);
  }
  for (auto& entry : raw) {
    if (entry.name == "xl/worksheets/sheet1.xml") {
      entry.declared_size = static_cast<std::uint32_t>(entry.data.size() / 10);
    }
  }
  ExpectRefused(Read(testfiles::MakeRawZip(raw)),
                "part xl/worksheets/sheet1.xml holds more data than its zip entry declares");
}

TEST(PackageBudget, RefusesMoreCellsOrFormatsThanTheBudget) {
  ReadLimits limits;
  limits.max_cells = 1000;
  EXPECT_TRUE(Read(MakeZip(MinimalWorkbook(Cells(1000))), limits).ok());
  ExpectRefused(Read(MakeZip(MinimalWorkbook(Cells(1001))), limits),
                "the workbook holds more than 1,000 cells");

  limits.max_formats = 10;
  std::string styles =
      R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<numFmts><numFmt numFmtId="164" formatCode="0.0"/></numFmts><cellXfs>)";
  for (int i = 0; i < 10; ++i) styles += "<xf numFmtId=\"164\"/>";
  styles += "</cellXfs></styleSheet>";
  ExpectRefused(Read(MakeZip(MinimalWorkbook(Cells(1), styles)), limits),
                "more than 10 cell and number formats");
}

TEST(PackageBudget, BoundsTagsAndNesting) {
  const std::string huge_attribute =
      "<row r=\"1\"><c r=\"A1\" x=\"" + std::string(3u << 20, 'a') + "\"><v>1</v></c></row>";
  ExpectRefused(Read(MakeZip(MinimalWorkbook(huge_attribute))),
                "one tag, comment or instruction runs past 2 MB");
  // Long runs of text and of white space, inside the root element or after it, are no tag.
  auto spacious =
      MinimalWorkbook(std::string(3u << 20, ' ') + "<row r=\"1\"><c t=\"inlineStr\"><is><t>" +
                      std::string(3u << 20, 't') + "</t></is></c></row>");
  for (auto& [name, data] : spacious) data += std::string(3u << 20, '\n');
  EXPECT_TRUE(Read(MakeZip(spacious)).ok());

  std::string nested;
  for (int i = 0; i < 1001; ++i) nested += "<a>";
  for (int i = 0; i < 1001; ++i) nested += "</a>";
  ExpectRefused(Read(MakeZip(MinimalWorkbook(nested))), "nest more than 1000 levels");
}

#if defined(__SANITIZE_ADDRESS__)
#define BRINTOVA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRINTOVA_UNDER_ASAN 1
#endif
#endif

// The address space in use now, in bytes.
std::uint64_t AddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

TEST(PackageBudget, RunningOutOfMemorySaysSo) {
#ifdef BRINTOVA_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit leaves";
#else
  const std::string bytes = MakeZip(MinimalWorkbook(Cells(1000000)), 1);
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Room for the reader to start, not for a million cells.
    const rlim_t limit = AddressSpace() + (2u << 20);
    const rlimit address_space{limit, limit};
    setrlimit(RLIMIT_AS, &address_space);
    const ReadResult result = Read(bytes);
    const std::string answer = result.ok() ? "read" : result.error.description;
    (void)!write(channel[1], answer.data(), answer.size());
    _exit(0);
  }
  close(channel[1]);
  std::string answer;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the reader did not end by itself";
  EXPECT_EQ(answer, "there is not enough memory to open it");
#endif
}

}  // namespace
}  // namespace brintova::engine::package

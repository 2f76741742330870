// The zip comparison the --jobs test relies on must be able to fail.
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

namespace brintova::cli::testing {
namespace {

TEST(ZipEntries, ReadsEveryPartUncompressed) {
  const auto entries = ZipEntries(SamplePath("Orders and Phones.xlsx"));
  ASSERT_TRUE(entries.contains("[Content_Types].xml"));
  EXPECT_NE(entries.at("[Content_Types].xml").find("<Types"), std::string::npos);
  EXPECT_TRUE(entries.contains("xl/workbook.xml"));
}

TEST(ZipEntries, TellsWorkbooksApartAndCopiesAlike) {
  ScratchFolder scratch;
  const std::string copy = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "copy.xlsx");
  EXPECT_EQ(ZipEntries(copy), ZipEntries(SamplePath("Orders and Phones.xlsx")));
  EXPECT_NE(ZipEntries(copy), ZipEntries(SamplePath("International Text.xlsx")));
}

TEST(ZipEntries, RefusesAFileThatIsNoZip) {
  ScratchFolder scratch;
  std::ofstream(scratch.File("plain.xlsx")) << "plain text";
  EXPECT_THROW(ZipEntries(scratch.File("plain.xlsx")), std::runtime_error);
}

}  // namespace
}  // namespace brintova::cli::testing

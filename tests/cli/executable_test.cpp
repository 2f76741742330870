// The built brintova-cli: exit statuses and which stream gets which words.
#include <gtest/gtest.h>

#include "cli/memory_tuning.h"
#include "cli_test_support.h"

namespace brintova::cli {
namespace {

using testing::RunExecutable;
using testing::SamplePath;
using testing::ScratchFolder;

TEST(Executable, ExitsZeroOneOrTwo) {
  ScratchFolder scratch;
  const auto saved = RunExecutable({"run", "--operation", "numbers", "--output",
                                    scratch.File("out"), SamplePath("Orders and Phones.xlsx")},
                                   scratch);
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, "");
  EXPECT_EQ(saved.err, "brintova-cli: 1 workbook processed, 0 failed, 1 result saved\n");

  const auto failed = RunExecutable({"run", "--operation", "numbers", "--output",
                                     scratch.File("out2"), scratch.File("none.xlsx")},
                                    scratch);
  EXPECT_EQ(failed.status, 1) << failed.err;
  EXPECT_NE(failed.err.find("1 workbook processed, 1 failed, 0 results saved"), std::string::npos)
      << failed.err;

  const auto usage = RunExecutable({"run", "--operation", "first-chars", "--output",
                                    scratch.File("out3"), SamplePath("Orders and Phones.xlsx")},
                                   scratch);
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("--param"), std::string::npos) << usage.err;

  EXPECT_EQ(RunExecutable({}, scratch).status, 2);
  EXPECT_EQ(RunExecutable({"text"}, scratch).status, 2);
}

TEST(Executable, PrintsManualAndVersionOnStandardOutput) {
  ScratchFolder scratch;
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--help"}, {"run", "--help"}}) {
    const auto help = RunExecutable(arguments, scratch);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("BRINTOVA-CLI(1)", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("EXIT STATUS"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  const auto version = RunExecutable({"--version"}, scratch);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("brintova-cli ", 0), 0u) << version.out;
}

TEST(Executable, ListsTextOnStandardOutput) {
  ScratchFolder scratch;
  const auto listed = RunExecutable({"text", testing::DataPath("text_escapes.xlsx")}, scratch);
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out.rfind("Escapes\tA1\tC:\\\\path\\\\file\n", 0), 0u) << listed.out;
}

// The program starts itself again with the huge-page tunable only where that changes something,
// keeps whatever tunables it was started with, and never asks twice (which would restart it
// without end).
TEST(Executable, AsksForHugePagesOnceAndKeepsOtherTunables) {
  const std::string_view madvise = "always [madvise] never\n";
  EXPECT_EQ(TunablesAskingForHugePages(nullptr, madvise), "glibc.malloc.hugetlb=1");
  EXPECT_EQ(TunablesAskingForHugePages("", madvise), "glibc.malloc.hugetlb=1");
  const auto kept = TunablesAskingForHugePages("glibc.malloc.check=3", madvise);
  EXPECT_EQ(kept, "glibc.malloc.check=3:glibc.malloc.hugetlb=1");
  EXPECT_EQ(TunablesAskingForHugePages(kept->c_str(), madvise), std::nullopt);
  EXPECT_EQ(TunablesAskingForHugePages("glibc.malloc.hugetlb=0", madvise), std::nullopt);
  EXPECT_EQ(TunablesAskingForHugePages(nullptr, "[always] madvise never\n"), std::nullopt);
  EXPECT_EQ(TunablesAskingForHugePages(nullptr, "always madvise [never]\n"), std::nullopt);
  EXPECT_EQ(TunablesAskingForHugePages(nullptr, ""), std::nullopt);  // no such file

  // Started with tunables of its own, the program still runs and answers on its streams.
  ScratchFolder scratch;
  setenv("GLIBC_TUNABLES", "glibc.malloc.check=0", 1);
  const auto version = RunExecutable({"--version"}, scratch);
  unsetenv("GLIBC_TUNABLES");
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out.rfind("brintova-cli ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace brintova::cli

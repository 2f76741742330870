// The comparisons the save tests rely on must be able to fail.
#include "save_helpers.h"

#include <gtest/gtest.h>

namespace brintova::engine::savetest {
namespace {

TEST(ChangedEntries, NamesMissingAndDifferentEntriesOnly) {
  const std::map<std::string, std::string> before = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
  EXPECT_TRUE(ChangedEntries(before, before).empty());
  const std::map<std::string, std::string> after = {{"a", "1"}, {"b", "2 "}, {"d", "4"}};
  EXPECT_EQ(ChangedEntries(before, after), (std::vector<std::string>{"b", "c"}));
}

TEST(ZipEntries, ReadsEveryEntryOfAFixture) {
  const auto entries = ZipEntries(DataPath("save_macro.xlsm"));
  ASSERT_TRUE(entries.count("xl/vbaProject.bin"));
  EXPECT_EQ(entries.at("xl/vbaProject.bin").size(), 1024u);
  EXPECT_EQ(static_cast<unsigned char>(entries.at("xl/vbaProject.bin")[255]), 255);
}

}  // namespace
}  // namespace brintova::engine::savetest

// Operation words of the command line and the manual page.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace brintova::cli {
namespace {

TEST(ParseOperation, TakesEveryIndexAndName) {
  for (std::int32_t index = 0; index <= 10; ++index) {
    EXPECT_EQ(ParseOperation(std::to_string(index)), index) << index;
    EXPECT_EQ(ParseOperation(kOperationNames[index]), index) << kOperationNames[index];
  }
  EXPECT_EQ(ParseOperation("first-chars"), 7);
  EXPECT_EQ(ParseOperation("before-position"), 10);
}

TEST(ParseOperation, RefusesAnythingElse) {
  for (const char* text : {"", "11", "-1", "07", "00", "1.0", " 1", "1 ", "Alphabet", "numbers ",
                           "extract-numbers", "first_chars", "firstchars", "100"}) {
    EXPECT_EQ(ParseOperation(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(ParseOperation, AsksForAParameterFromUserDefinedOn) {
  EXPECT_FALSE(OperationTakesParameter(*ParseOperation("non-alphanumeric")));
  EXPECT_TRUE(OperationTakesParameter(*ParseOperation("user-defined")));
  EXPECT_TRUE(OperationTakesParameter(*ParseOperation("before-position")));
}

TEST(ManualText, ShowsOneExamplePerOperationWithParamWhereAsked) {
  const std::string manual = ManualText("9.9.9");
  EXPECT_NE(manual.find("9.9.9"), std::string::npos);
  for (std::size_t index = 0; index < kOperationNames.size(); ++index) {
    const std::string example =
        "brintova-cli run --operation " + std::string(kOperationNames[index]) + " ";
    const std::size_t at = manual.find(example);
    ASSERT_NE(at, std::string::npos) << kOperationNames[index];
    EXPECT_EQ(manual.find(example, at + 1), std::string::npos)
        << "twice: " << kOperationNames[index];
    const std::string line = manual.substr(at, manual.find('\n', at) - at);
    EXPECT_EQ(line.find("--param") != std::string::npos,
              OperationTakesParameter(static_cast<std::int32_t>(index)))
        << line;
  }
  for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXAMPLES",
                              "STANDARD ERROR", "EXIT STATUS"}) {
    EXPECT_NE(manual.find(std::string("\n") + section + "\n"), std::string::npos) << section;
  }
}

}  // namespace
}  // namespace brintova::cli

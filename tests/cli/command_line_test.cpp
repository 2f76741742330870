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

// What the run would skip on every workbook (nothing typed, no positive number) or fail on
// every workbook (not one number, past 16 bits) is refused; what it can use is taken.
TEST(ParameterRefusal, RefusesWhatNoWorkbookCouldUse) {
  const struct {
    std::int32_t operation;
    std::string parameter;
    const char* says;  // nullptr: accepted
  } rows[] = {
      {4, "", "user-defined expects a text"},
      {5, "", "after-text expects a text"},
      {6, "", "before-text expects a text"},
      {4, " ", nullptr},
      {6, "0", nullptr},
      {7, "abc", "first-chars expects a number of characters from 1 to 32767"},
      {8, "-3", "last-chars expects a number of characters"},
      {9, "0", "after-position expects a character position"},
      {10, "", "before-position expects a character position"},
      {7, "0.4", "not '0.4'"},
      {7, "5abc", "not '5abc'"},
      {8, "40000", "not '40000'"},
      {7, "3", nullptr},
      {8, "2.5", nullptr},
      {9, " 0.6 ", nullptr},
      {10, "32767", nullptr},
      {0, "", nullptr},
      {3, "abc", nullptr},
  };
  for (const auto& row : rows) {
    const auto refusal = ParameterRefusal(row.operation, row.parameter);
    const std::string label = std::to_string(row.operation) + " '" + row.parameter + "'";
    if (row.says == nullptr) {
      EXPECT_EQ(refusal, std::nullopt) << label << ": " << refusal.value_or("");
    } else {
      ASSERT_TRUE(refusal.has_value()) << label;
      EXPECT_NE(refusal->find(row.says), std::string::npos) << label << ": " << *refusal;
    }
  }
}

// Both position operations keep the character at position N.
TEST(ManualText, SaysThatBothPositionOperationsIncludePositionN) {
  const std::string manual = ManualText("1");
  for (const char* name : {" 9 after-position ", "10 before-position "}) {
    const std::size_t at = manual.find(name);
    ASSERT_NE(at, std::string::npos) << name;
    const std::size_t end = manual.find('\n', manual.find('\n', at) + 1);  // and the next line
    const std::string entry = manual.substr(at, end - at);
    EXPECT_NE(entry.find("(position N\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("included)"), std::string::npos) << entry;
  }
  EXPECT_EQ(manual.find("what follows position N"), std::string::npos);
  EXPECT_EQ(manual.find("what precedes position N"), std::string::npos);
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

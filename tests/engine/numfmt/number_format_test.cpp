// Behaviour of NumberFormat on chosen values: General, failures of broken codes, dates.
#include "engine/numfmt/number_format.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace brintova::numfmt {
namespace {

std::string Render(std::u16string_view code, double value, DateSystem system = DateSystem::k1900) {
  NumberFormat f;
  CompileError error;
  EXPECT_TRUE(NumberFormat::Compile(code, f, &error)) << ToUtf8(error.description);
  std::u16string out;
  f.RenderNumber(value, system, out);
  return ToUtf8(out);
}

TEST(NumberFormatGeneral, ShowsNumbersInElevenCharacters) {
  struct Row {
    double value;
    const char* expected;
  };
  const Row rows[] = {{0, "0"},           {-0.0, "0"},
                      {1234.5, "1234.5"}, {-1234.5, "-1234.5"},
                      {0.1 + 0.2, "0.3"}, {123456789012.0, "1.23457E+11"},
                      {1e-5, "0.00001"},  {1.2345678912, "1.234567891"},
                      {1e100, "1E+100"}};
  for (const Row& r : rows) {
    EXPECT_EQ(Render(u"General", r.value), r.expected) << r.value;
  }
}

}  // namespace
}  // namespace brintova::numfmt

#include "app/vb_conversions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {
namespace {

struct Int16Case {
  std::u16string text;
  std::int16_t expected;
};

TEST(ConvertToInt16, RoundsHalvesToEven) {
  const Int16Case cases[] = {
      {u"2.5", 2},           {u"3.5", 4},       {u"-0.5", 0}, {u"-1.5", -2}, {u"0.49", 0},
      {u"0.51", 1},          {u" 7 ", 7},       {u"+3", 3},   {u"-1", -1},   {u"10", 10},
      {u"1e1", 10},          {u"2.5E+1", 25},   {u".5", 0},   {u"5.", 5},    {u"32767.49", 32767},
      {u"-32768.5", -32768}, {u"\t12\r\n", 12}, {u"0007", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertToInt16(c.text), c.expected) << ToUtf8(c.text);
  }
}

TEST(ConvertToInt16, RefusesWhatIsNotOneNumber) {
  for (const std::u16string text :
       {u"", u"  ", u"abc", u"5abc", u"1 2", u"-", u".", u"1e", u"1.2.3", u"0x10", u"\uff15"}) {
    try {
      ConvertToInt16(text);
      ADD_FAILURE() << "accepted \"" << ToUtf8(text) << "\"";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.number(), kFailureTypeMismatch) << ToUtf8(text);
      EXPECT_NE(failure.description().find(u"\"" + text + u"\""), std::u16string::npos);
    }
  }
}

TEST(ConvertToInt16, OverflowsOutsideSixteenBits) {
  for (const std::u16string text : {u"32767.5", u"32768", u"-32768.51", u"1e300", u"1e999"}) {
    try {
      ConvertToInt16(text);
      ADD_FAILURE() << "accepted " << ToUtf8(text);
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.number(), kFailureOverflow) << ToUtf8(text);
    }
  }
  EXPECT_EQ(ConvertToInt16(u"1e-999"), 0);
}

// A number too small for a double is zero, whether it is written with a negative exponent or
// with a long run of zeros; one too large overflows, whatever exponent it carries.
TEST(ConvertToInt16, UnderflowIsZeroAndOverflowIsOverflow) {
  const std::u16string zeros(400, u'0');
  for (const std::u16string& text : std::vector<std::u16string>{
           u"0." + zeros + u"1", u"-0." + zeros + u"1", u"." + zeros + u"7e5", u"0.001e-400",
           u"1" + zeros + u"e-800", u"  0." + zeros + u"9  "}) {
    EXPECT_EQ(ConvertToInt16(text), 0) << ToUtf8(text);
  }
  EXPECT_DOUBLE_EQ(LeadingNumber(u"0." + zeros + u"1 kg"), 0.0);
  for (const std::u16string& text : std::vector<std::u16string>{
           u"1" + zeros, u"-" + zeros + u"5" + zeros, u"1" + zeros + u"e-2", u"0.1e400"}) {
    try {
      ConvertToInt16(text);
      ADD_FAILURE() << "accepted " << ToUtf8(text).substr(0, 20) << "...";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.number(), kFailureOverflow) << ToUtf8(text).substr(0, 20) << "...";
    }
  }
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  const struct {
    std::u16string text;
    double expected;
  } cases[] = {
      {u"", 0},      {u"abc", 0},     {u"  12.5kg", 12.5}, {u"1 000", 1000}, {u"-3", -3},
      {u"- 3", -3},  {u"1.2.3", 1.2}, {u"2e3x", 2000},     {u"2e", 2},       {u"2ex", 2},
      {u"1d2", 100}, {u".25", 0.25},  {u"+", 0},           {u"\t\n7", 7},    {u"12abc34", 12},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected) << ToUtf8(c.text);
  }
}

}  // namespace
}  // namespace brintova

// Splitting delimited text, choosing the separator, decoding bytes and recognising values.
#include "engine/text/delimited_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/text/text_decoding.h"
#include "platform/text.h"

namespace brintova::engine::textfile {
namespace {

// "r,c=text" per field, joined by "|", so a failing case shows the whole split.
std::string Split(std::u16string_view text, char16_t separator, std::int64_t* records = nullptr) {
  std::string out;
  const std::int64_t n = ParseDelimitedText(
      text, separator, [&](std::int64_t r, std::int64_t c, std::u16string_view field) {
        if (!out.empty()) out += "|";
        out += std::to_string(r) + "," + std::to_string(c) + "=" + ToUtf8(field);
      });
  if (records) *records = n;
  return out;
}

TEST(ParseDelimitedText, SplitsAsTheApplicationDoes) {
  struct Case {
    std::u16string text;
    std::string expected;
    std::int64_t records;
  };
  const std::vector<Case> cases = {
      {u"a,b,c", "1,1=a|1,2=b|1,3=c", 1},
      {u"a,,c\r\nd", "1,1=a|1,3=c|2,1=d", 2},
      {u"a\n\nb\n", "1,1=a|3,1=b", 3},                         // empty line kept, last LF ends
      {u"a\rb", "1,1=a|2,1=b", 2},                             // lone CR breaks a line
      {u"\"x,y\",z", "1,1=x,y|1,2=z", 1},                      // separator inside quotes
      {u"\"line\r\nbreak\",2", "1,1=line\r\nbreak|1,2=2", 1},  // line break inside quotes
      {u"\"say \"\"hi\"\"\"", "1,1=say \"hi\"", 1},            // doubled quotes
      {u"ab\"cd,e", "1,1=ab\"cd|1,2=e", 1},                    // quote inside unquoted field
      {u"\"ab\"cd,e", "1,1=abcd|1,2=e", 1},                    // text after the closing quote
      {u"\"open,no close\nx", "1,1=open,no close\nx", 1},      // unterminated quote runs on
      {u"\"\",x", "1,2=x", 1},                                 // empty quoted field, no cell
      {u"a,", "1,1=a", 1},
      {u"", "", 0},
  };
  for (const Case& c : cases) {
    std::int64_t records = -1;
    EXPECT_EQ(Split(c.text, u',', &records), c.expected) << ToUtf8(c.text);
    EXPECT_EQ(records, c.records) << ToUtf8(c.text);
  }
  EXPECT_EQ(Split(u"a\tb,c", u'\t'), "1,1=a|1,2=b,c");
}

TEST(DetectSeparator, PrefersTheExtensionsSeparatorUnlessOnlyTheOtherAppears) {
  struct Case {
    std::u16string text;
    char16_t preferred;
    char16_t expected;
    bool skip;
  };
  const std::vector<Case> cases = {
      {u"a,b\tc", u',', u',', false},
      {u"a\tb\tc\nx,y", u',', u'\t', false},  // only the first record counts
      {u"\"a,b\"\tc", u',', u'\t', false},    // a comma inside quotes does not count
      {u"abc", u',', u',', false},
      {u"a,b", u'\t', u',', false},
      {u"a\tb,c", u'\t', u'\t', false},
      {u"sep=;\na;b", u',', u';', true},
      {u"SEP=\t\r\na\tb", u',', u'\t', true},
  };
  for (const Case& c : cases) {
    bool skip = !c.skip;
    EXPECT_EQ(DetectSeparator(c.text, c.preferred, &skip), c.expected) << ToUtf8(c.text);
    EXPECT_EQ(skip, c.skip) << ToUtf8(c.text);
  }
}

TEST(ClassifyField, RecognisesOnlyPlainNumbersAndTruthValues) {
  struct Case {
    std::u16string field;
    FieldKind kind;
    double number;
    std::u16string format;
  };
  const std::vector<Case> cases = {
      {u"00123", FieldKind::kNumber, 123, u""},
      {u"-1.5e3", FieldKind::kNumber, -1500, u""},
      {u"+7", FieldKind::kNumber, 7, u""},
      {u".5", FieldKind::kNumber, 0.5, u""},
      {u"5.", FieldKind::kNumber, 5, u""},
      {u"-0", FieldKind::kNumber, 0, u""},
      {u"1,234", FieldKind::kNumber, 1234, u"#,##0"},
      {u"-1,234,567.25", FieldKind::kNumber, -1234567.25, u"#,##0.00"},
      {u"12345678901234567", FieldKind::kNumber, 12345678901234600, u""},  // 15 digits kept
      {u"TRUE", FieldKind::kBoolean, 0, u""},
      {u"false", FieldKind::kBoolean, 0, u""},
      {u"1,23", FieldKind::kText, 0, u""},  // not groups of three
      {u"1234,567", FieldKind::kText, 0, u""},
      {u"1,234,56", FieldKind::kText, 0, u""},
      {u" 12", FieldKind::kText, 0, u""},
      {u"12 ", FieldKind::kText, 0, u""},
      {u"1e", FieldKind::kText, 0, u""},
      {u"e5", FieldKind::kText, 0, u""},
      {u".", FieldKind::kText, 0, u""},
      {u"-", FieldKind::kText, 0, u""},
      {u"1e400", FieldKind::kText, 0, u""},
      {u"0x10", FieldKind::kText, 0, u""},
      {u"inf", FieldKind::kText, 0, u""},
      {u"12%", FieldKind::kText, 0, u""},
      {u"2024-01-31", FieldKind::kText, 0, u""},
      {u"=1+2", FieldKind::kText, 0, u""},
      {u"\uFF11\uFF12", FieldKind::kText, 0, u""},  // full-width digits
      {u"TRUEX", FieldKind::kText, 0, u""},
  };
  for (const Case& c : cases) {
    const FieldValue v = ClassifyField(c.field);
    EXPECT_EQ(v.kind, c.kind) << ToUtf8(c.field);
    if (c.kind == FieldKind::kNumber) {
      EXPECT_EQ(v.number, c.number) << ToUtf8(c.field);
      EXPECT_EQ(std::u16string(v.format), c.format) << ToUtf8(c.field);
      if (c.number == 0) {
        EXPECT_FALSE(std::signbit(v.number)) << ToUtf8(c.field);  // no -0
      }
    }
  }
  EXPECT_TRUE(ClassifyField(u"True").boolean);
  EXPECT_FALSE(ClassifyField(u"FALSE").boolean);
}

TEST(DecodeTextBytes, ChoosesTheEncodingFromMarkOrContent) {
  struct Case {
    std::string bytes;
    std::u16string text;
    TextEncoding encoding;
  };
  const std::vector<Case> cases = {
      {"Caf\xC3\xA9", u"Café", TextEncoding::kUtf8},
      {"\xEF\xBB\xBF"
       "Caf\xC3\xA9",
       u"Café", TextEncoding::kUtf8WithBom},
      {"Caf\xE9 \x80", u"Café €", TextEncoding::kWindows1252},              // not UTF-8: code page
      {"\xC0\xAF", u"\u00C0\u00AF", TextEncoding::kWindows1252},            // overlong form refused
      {"\xED\xA0\x80", u"\u00ED\u00A0\u20AC", TextEncoding::kWindows1252},  // surrogate
      {std::string("\xFF\xFE"
                   "a\0\xE9\0",
                   6),
       u"aé", TextEncoding::kUtf16Le},
      {std::string("\xFE\xFF\0a\0\xE9", 6), u"aé", TextEncoding::kUtf16Be},
      {"", u"", TextEncoding::kUtf8},
  };
  for (const Case& c : cases) {
    const DecodedText d = DecodeTextBytes(c.bytes);
    EXPECT_EQ(d.text, c.text) << c.bytes;
    EXPECT_EQ(d.encoding, c.encoding) << c.bytes;
  }
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
}

}  // namespace
}  // namespace brintova::engine::textfile

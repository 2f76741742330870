#include "platform/text.h"

#include <gtest/gtest.h>

namespace brintova {
namespace {

TEST(TextConversion, RoundTripsEveryPlane) {
  const std::u16string text = u"Caf\u00e9 \u00a0\u4e2d\U0001F600";
  EXPECT_EQ(ToUtf16(ToUtf8(text)), text);
}

TEST(TextConversion, InvalidUtf8BecomesReplacementPerByte) {
  EXPECT_EQ(ToUtf16("a\xff\xfe" "b"), u"a\ufffd\ufffdb");
  EXPECT_EQ(ToUtf16("\xc0\xaf"), u"\ufffd\ufffd");        // overlong
  EXPECT_EQ(ToUtf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
  EXPECT_EQ(ToUtf8(u"\xd800x"), "\xef\xbf\xbdx");
}

TEST(NativePath, KeepsInvalidBytesThroughTheRoundTrip) {
  const std::string name = "/tmp/Book\xe9\xff.xlsx";
  const std::u16string text = TextFromNativePath(name);
  EXPECT_EQ(text, u"/tmp/Book\xdce9\xdcff.xlsx");
  EXPECT_EQ(NativePathFromText(text), name);
  EXPECT_EQ(NativePathFromText(u"/t/Caf\u00e9"), "/t/Caf\xc3\xa9");
}

TEST(DecimalText, HasNoPaddingAndASign) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(-1), u"-1");
  EXPECT_EQ(DecimalText(32767), u"32767");
}

TEST(LowerCaseExtension, TakesTheFileNamesLastDotOnly) {
  EXPECT_EQ(LowerCaseExtension(u"/data/Book.XLSX"), u".xlsx");
  EXPECT_EQ(LowerCaseExtension(u"/data/archive.tar.Gz"), u".gz");
  EXPECT_EQ(LowerCaseExtension(u"/data.2024/README"), u"");  // the dot is the folder's
  EXPECT_EQ(LowerCaseExtension(u"/data/.Txt"), u".txt");
  EXPECT_EQ(AsciiLower(u"\u00C9T\u00C9.CSV"), u"\u00C9t\u00C9.csv");  // only A to Z change
}

}  // namespace
}  // namespace brintova

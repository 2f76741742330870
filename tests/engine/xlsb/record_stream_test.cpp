// Record framing: records split anywhere between the pieces a part arrives in come out whole,
// and numbers in the RK encoding decode as the application reads them.
#include "engine/xlsb/record_stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/package/read_error.h"
#include "xlsb_builder.h"

namespace brintova::engine::xlsb {
namespace {

using testing::Record;

TEST(RecordStream, RecordsSplitAcrossPiecesComeOutWhole) {
  const std::string long_body(300, 'x');  // a two-byte size
  const std::string bytes = Record(0, "abc") + Record(617, "") + Record(156, long_body) +
                            Record(0x3FFF, "z") + Record(5, std::string(16, '\1'));
  std::vector<std::pair<std::uint32_t, std::string>> whole;
  RecordStream all([&](std::uint32_t type, std::string_view body) {
    whole.emplace_back(type, std::string(body));
  });
  all.Feed(bytes.data(), bytes.size());
  all.Finish();
  ASSERT_EQ(whole.size(), 5u);
  EXPECT_EQ(whole[1].first, 617u);
  EXPECT_EQ(whole[2].second, long_body);
  EXPECT_EQ(whole[3].first, 0x3FFFu);
  for (std::size_t piece : {1u, 2u, 3u, 7u, 64u}) {
    std::vector<std::pair<std::uint32_t, std::string>> pieces;
    RecordStream stream([&](std::uint32_t type, std::string_view body) {
      pieces.emplace_back(type, std::string(body));
    });
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      stream.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    stream.Finish();
    EXPECT_EQ(pieces, whole) << "pieces of " << piece;
  }
  RecordStream cut([](std::uint32_t, std::string_view) {});
  cut.Feed(bytes.data(), bytes.size() - 1);
  EXPECT_THROW(cut.Finish(), package::ReadError);
}

TEST(RecordStream, RkNumbersDecode) {
  EXPECT_EQ(DecodeRk((1234u << 2) | 0x2), 1234);
  EXPECT_EQ(DecodeRk(static_cast<std::uint32_t>(-5 << 2) | 0x2), -5);
  EXPECT_DOUBLE_EQ(DecodeRk((12345u << 2) | 0x3), 123.45);
  EXPECT_EQ(DecodeRk(0x3FF00000u), 1.0);  // the high bits of 1.0
  EXPECT_DOUBLE_EQ(DecodeRk(0x3FF00000u | 0x1), 0.01);
  EXPECT_EQ(DecodeRk(0xC0040000u), -2.5);  // the high bits of -2.5
}

TEST(RecordCursor, StringsAreBoundedByTheirRecord) {
  const std::string body = testing::U32(3) + std::string("a\0b\0", 4);
  RecordCursor cursor(body, "the test record");
  std::u16string out;
  EXPECT_THROW(cursor.WideString(out), package::ReadError);
  EXPECT_TRUE(out.empty());
  const std::string null_string = testing::U32(0xFFFFFFFFu);
  RecordCursor nullable(null_string, "the test record");
  nullable.WideString(out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(nullable.left(), 0u);
}

}  // namespace
}  // namespace brintova::engine::xlsb

// A part deflated in blocks on several threads must inflate to exactly its bytes with the CRC
// of the whole; a worksheet written in blocks must join to the part written at once.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/package/block_deflater.h"
#include "engine/package/worksheet_writer.h"

namespace brintova::engine::package {
namespace {

// Inflates a raw deflate stream; fails the test when the stream is damaged or does not end.
std::string Inflate(const std::string& deflated) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
  std::string out;
  std::vector<char> buffer(1 << 16);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer.data());
    z.avail_out = static_cast<uInt>(buffer.size());
    status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer.data(), buffer.size() - z.avail_out);
    if (status == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  EXPECT_EQ(status, Z_STREAM_END) << "the stream does not end where it should";
  EXPECT_EQ(z.avail_in, 0u) << "bytes follow the end of the stream";
  inflateEnd(&z);
  return out;
}

std::uint32_t Crc(const std::string& bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Text that compresses as worksheet XML does, with runs that repeat across block boundaries.
std::string SheetLikeText(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) {
    text += "<c r=\"B" + std::to_string(random() % 100000) + "\" t=\"inlineStr\"><is><t>";
    text += std::to_string(random());
    text += "</t></is></c>";
  }
  text.resize(size);
  return text;
}

TEST(BlockDeflater, JoinsBlocksOfAnySizeIntoOneStreamOfTheWholePart) {
  const std::string whole = SheetLikeText(3'000'000, 7);
  struct Case {
    const char* name;
    std::vector<std::size_t> sizes;  // block sizes, the last one repeated to the end
    int level;
    std::size_t in_flight;
  };
  const std::vector<Case> cases = {
      {"one block", {whole.size()}, 1, 3},
      {"1 MiB blocks", {1 << 20}, 1, 3},
      {"blocks shorter than the window", {1000, 7, 20000}, 1, 2},
      {"a block of one byte after a large one", {500000, 1, 40000}, 6, 3},
      {"one worker", {300000}, 6, 1},
  };
  for (const Case& c : cases) {
    BlockDeflater deflater(c.level, c.level, c.in_flight);
    std::size_t at = 0;
    for (std::size_t i = 0; at < whole.size(); ++i) {
      const std::size_t size =
          std::min(c.sizes[std::min(i, c.sizes.size() - 1)], whole.size() - at);
      deflater.Add(whole.substr(at, size));
      at += size;
    }
    const DeflatedPart part = deflater.Finish();
    EXPECT_EQ(part.size, whole.size()) << c.name;
    EXPECT_EQ(part.crc, Crc(whole)) << c.name;
    EXPECT_TRUE(Inflate(part.Joined()) == whole) << c.name << ": the inflated bytes differ";
    EXPECT_LT(part.CompressedSize(), whole.size() / 2) << c.name << ": hardly compressed";
  }
}

TEST(BlockDeflater, AnEmptyPartAndEmptyBlocksMakeAValidStream) {
  {
    BlockDeflater deflater(1, 6);
    const DeflatedPart part = deflater.Finish();
    EXPECT_EQ(part.size, 0u);
    EXPECT_EQ(part.crc, 0u);
    EXPECT_EQ(Inflate(part.Joined()), "");
  }
  BlockDeflater deflater(1, 6);
  deflater.Add("");
  deflater.Add("abc");
  deflater.Add("");
  const DeflatedPart part = deflater.Finish();
  EXPECT_EQ(Inflate(part.Joined()), "abc");
  EXPECT_EQ(part.crc, Crc("abc"));
}

TEST(BlockDeflater, PrimingWithThePreviousBlockKeepsTheSizeNearASinglePass) {
  const std::string whole = SheetLikeText(2'000'000, 11);
  BlockDeflater blocks(1, 1);
  for (std::size_t at = 0; at < whole.size(); at += 100000) blocks.Add(whole.substr(at, 100000));
  BlockDeflater single(1, 1);
  single.Add(whole);
  const std::size_t in_blocks = blocks.Finish().CompressedSize();
  const std::size_t at_once = single.Finish().CompressedSize();
  EXPECT_LT(in_blocks, at_once + at_once / 50) << "more than 2% larger than one pass";
}

TEST(WorksheetBlocks, JoinToThePartWrittenAtOnceAndEndAfterACell) {
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Results", model::SheetKind::kWorksheet);
  for (std::int32_t row = 1; row <= 300; ++row) {
    for (std::int32_t column = 1; column <= 7; ++column) {
      if (column % 3 == 0) {
        sheet.Append(row, model::Cell::Number(column, row * 0.5, 0));
      } else {
        const std::uint32_t index =
            sheet.strings().Add(column == 1 ? u" spaced " : u"text & <more> \u00e9");
        sheet.Append(row, model::Cell::OwnedString(column, index, 0));
      }
    }
  }
  const std::string whole = WriteWorksheetXml(book, sheet, TransitionalNamespaces(), {}, true);
  for (const std::size_t block_bytes :
       {std::size_t{1}, std::size_t{500}, std::size_t{4096}, std::size_t{1} << 20}) {
    std::vector<std::string> blocks;
    WriteWorksheetXmlBlocks(
        book, sheet, TransitionalNamespaces(), {}, true,
        [&](std::string block) { blocks.push_back(std::move(block)); }, block_bytes);
    std::string joined;
    for (const std::string& block : blocks) joined += block;
    EXPECT_TRUE(joined == whole) << "blocks of " << block_bytes << " bytes join differently";
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
      EXPECT_GE(blocks[i].size(), block_bytes) << "block " << i << " of " << block_bytes;
      const bool after_cell = blocks[i].ends_with("</c>") || blocks[i].ends_with("/>") ||
                              blocks[i].ends_with("<sheetData>") || blocks[i].ends_with("\">");
      EXPECT_TRUE(after_cell) << "block " << i << " of " << block_bytes << " ends inside a cell";
    }
    if (block_bytes == (std::size_t{1} << 20)) {
      EXPECT_EQ(blocks.size(), 1u);
    }
  }
  EXPECT_NE(whole.find("<c r=\"G300\""), std::string::npos);
}

}  // namespace
}  // namespace brintova::engine::package

// A selected sheet losing its mark: a large deflated part spliced (its start deflated again, its
// original blocks after a cut kept) must inflate to the source without the mark, with the CRC
// and size its zip entry records; parts that cannot be spliced are deflated whole.
#include "engine/package/sheet_selection.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/package/block_deflater.h"
#include "engine/package/deflate_splice.h"
#include "engine/package/zip_reader.h"
#include "engine/package/zip_writer.h"
#include "support/raw_zip.h"
#include "support/scratch_files.h"

namespace brintova::engine::package {
namespace {

const std::string kSheetName = "xl/worksheets/sheet1.xml";
const std::string kMark = " tabSelected=\"1\"";

// A raw deflate stream inflated whole after `dictionary`, or nullopt when it is damaged, does not
// end, or has bytes after its end.
std::optional<std::string> Inflate(std::string_view deflated, std::string_view dictionary = {}) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
  if (!dictionary.empty() &&
      inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                           static_cast<uInt>(dictionary.size())) != Z_OK) {
    return std::nullopt;
  }
  std::string out;
  std::vector<char> buffer(1 << 16);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  for (;;) {
    z.next_out = reinterpret_cast<Bytef*>(buffer.data());
    z.avail_out = static_cast<uInt>(buffer.size());
    const int status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer.data(), buffer.size() - z.avail_out);
    if (status == Z_STREAM_END) break;
    if (status != Z_OK) return std::nullopt;
  }
  if (z.avail_in != 0) return std::nullopt;
  return out;
}

std::uint32_t Crc(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// What a zip entry of `part` holds, checked against the CRC and size the entry records (the
// writer records the part's own). Empty with a test failure when they disagree.
std::string Unpacked(const DeflatedPart& part, const std::string& what) {
  const std::optional<std::string> inflated = Inflate(part.Joined());
  if (!inflated) {
    ADD_FAILURE() << what << ": the stream does not inflate";
    return {};
  }
  EXPECT_EQ(part.size, inflated->size()) << what << ": recorded size";
  EXPECT_EQ(part.crc, Crc(*inflated)) << what << ": recorded CRC";
  return *inflated;
}

// A selected worksheet of `rows` rows whose cells vary (a number and a code of random letters),
// so that a one-pass deflate ends a block every few tens of KB.
std::string SelectedSheet(int rows, unsigned seed) {
  std::mt19937 random(seed);
  const auto code = [&random] {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string text(24, ' ');
    for (char& c : text) c = kLetters[random() % 62];
    return text;
  };
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<dimension ref=\"A1:B" +
      std::to_string(rows) +
      "\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"><selection "
      "activeCell=\"B2\"/></sheetView></sheetViews><sheetData>";
  for (int row = 1; row <= rows; ++row) {
    const std::string r = std::to_string(row);
    xml += "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + std::to_string(random() % 1000000) +
           "</v></c><c r=\"B" + r + "\" t=\"inlineStr\"><is><t>" + code() + "</t></is></c></row>";
  }
  return xml + "</sheetData></worksheet>";
}

std::string WithoutMark(std::string xml) {
  xml.erase(xml.find(kMark), kMark.size());
  return xml;
}

// A package holding only `sheet`, deflated in one pass by zlib at level 6 or stored.
std::string OnePassPackage(const std::string& sheet, bool deflate = true) {
  testfiles::RawZipEntry entry(kSheetName, sheet);
  entry.deflate = deflate;
  return testfiles::MakeRawZip({entry});
}

// A package holding only `sheet`, deflated by this program's block deflater in sync-flushed
// blocks of `block_bytes`, the first one `first_block` long.
std::string BlockDeflatedPackage(const std::string& sheet, std::size_t block_bytes,
                                 std::size_t first_block = 0) {
  BlockDeflater deflater(1, 6);
  if (first_block != 0) deflater.Add(sheet.substr(0, first_block));
  std::size_t at = first_block;
  for (; at < sheet.size(); at += block_bytes) deflater.Add(sheet.substr(at, block_bytes));
  testfiles::ScratchFolder folder;
  const std::string path = folder.File("blocks.xlsx");
  ZipWriter zip(path, path);
  zip.AddDeflatedPart(kSheetName, deflater.Finish());
  zip.Close();
  return testfiles::ReadBytes(path);
}

struct Deselection {
  std::optional<DeflatedPart> part;
  std::string original_stream;  // the source entry's compressed bytes ("" when stored)
  std::uint64_t inflated = 0;   // bytes the reader counted as inflated
};

Deselection Deselect(std::string package) {
  ZipReader reader;
  reader.OpenBytes(std::make_shared<const std::string>(std::move(package)));
  Deselection result;
  if (auto stream = reader.ReadDeflateStream(0)) result.original_stream = stream->bytes;
  const std::uint64_t before = reader.inflated_bytes();
  result.part = DeselectedSheetPart(reader, 0);
  result.inflated = reader.inflated_bytes() - before;
  return result;
}

// True when the part ends with most of the original stream, copied as it was.
bool KeepsOriginalBlocks(const DeflatedPart& part, const std::string& original) {
  if (part.pieces.size() != 2 || original.empty()) return false;
  const std::string& rest = part.pieces.back();
  return rest.size() > original.size() / 2 && original.ends_with(rest);
}

TEST(DeselectedSheetPart, LargeStreamsKeepTheirBlocksAfterTheEditedStart) {
  const std::string sheet = SelectedSheet(25000, 3);
  ASSERT_GT(sheet.size(), 1'500'000u);
  struct Case {
    const char* producer;
    std::string package;
  };
  const Case cases[] = {
      {"zlib level 6 in one pass", OnePassPackage(sheet)},
      {"block deflater, 256 KiB blocks", BlockDeflatedPackage(sheet, 256 << 10)},
      {"block deflater, 20 KB blocks", BlockDeflatedPackage(sheet, 20000)},
  };
  for (const Case& c : cases) {
    const Deselection result = Deselect(c.package);
    ASSERT_TRUE(result.part) << c.producer;
    EXPECT_TRUE(Unpacked(*result.part, c.producer) == WithoutMark(sheet))
        << c.producer << ": the part differs from the source without its mark";
    EXPECT_TRUE(KeepsOriginalBlocks(*result.part, result.original_stream))
        << c.producer << ": the stream was deflated again whole";
    EXPECT_LT(result.inflated, sheet.size() / 2) << c.producer << ": inflated whole";
  }
}

// Blocks after a cut are copied with their back-references, which reach 32 KiB behind: a block
// that refers back to the head, whose bytes the edit moved, must be deflated again.
TEST(DeselectedSheetPart, BlocksThatReferBackToTheEditedHeadAreDeflatedAgain) {
  std::string code(200, ' ');
  std::mt19937 random(21);
  for (char& c : code) c = static_cast<char>('a' + random() % 26);
  const std::string tail = SelectedSheet(20000, 8);
  const std::size_t views = tail.find("<sheetViews>");
  // The code is named in the head, before the mark, and again in the first cell of a block of
  // its own a few KB later, well within a window of the head.
  std::string sheet = tail.substr(0, views) + "<sheetPr codeName=\"" + code + "\"/>" +
                      tail.substr(views, tail.find("<row r=\"50\"") - views);
  const std::size_t echo = sheet.size();
  sheet += "<row r=\"50\"><c r=\"A50\" t=\"inlineStr\"><is><t>" + code + "</t></is></c></row>" +
           tail.substr(tail.find("<row r=\"51\""));
  const Deselection result = Deselect(BlockDeflatedPackage(sheet, 256 << 10, echo));
  ASSERT_TRUE(result.part);
  EXPECT_TRUE(Unpacked(*result.part, "echo") == WithoutMark(sheet))
      << "the part differs from the source without its mark";
}

TEST(DeselectedSheetPart, PartsThatCannotBeSplicedAreDeflatedWhole) {
  struct Case {
    const char* what;
    std::string sheet;
    bool deflated;
  };
  const Case cases[] = {
      // Its whole stream lies within a window of the mark.
      {"a small sheet", SelectedSheet(200, 5), true},
      {"a sheet ending a little past a window after the mark", SelectedSheet(600, 5), true},
      {"a large stored sheet", SelectedSheet(25000, 5), false},
  };
  for (const Case& c : cases) {
    const Deselection result = Deselect(OnePassPackage(c.sheet, c.deflated));
    ASSERT_TRUE(result.part) << c.what;
    EXPECT_TRUE(Unpacked(*result.part, c.what) == WithoutMark(c.sheet))
        << c.what << ": the part differs from the source without its mark";
    EXPECT_FALSE(KeepsOriginalBlocks(*result.part, result.original_stream)) << c.what;
    EXPECT_GE(result.inflated, c.sheet.size()) << c.what << ": not read whole";
  }
}

std::string DeflatedInOnePass(const std::string& text, int level = 6) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Stream {
  std::string inflated;
  std::string deflated;
};

Stream LargeStream() {
  Stream stream{SelectedSheet(25000, 4), ""};
  stream.deflated = DeflatedInOnePass(stream.inflated);
  return stream;
}

TEST(FindStreamCut, CutsWhereTheRestInflatesOnItsOwnAfterAWindow) {
  const Stream stream = LargeStream();
  for (const std::size_t min_inflated : {std::size_t{0}, std::size_t{40000}, std::size_t{700000}}) {
    const auto cut = FindStreamCut(stream.deflated, min_inflated, stream.inflated.size());
    ASSERT_TRUE(cut) << "no cut past " << min_inflated;
    const std::size_t at = cut->inflated.size();
    EXPECT_GE(at, min_inflated);
    EXPECT_TRUE(cut->inflated == stream.inflated.substr(0, at)) << "the start differs";
    // A cut inside a byte, or after the last block, leaves a rest that does not inflate.
    const std::size_t window = std::min(at, kDeflateWindow);
    const auto rest = Inflate(std::string_view(stream.deflated).substr(cut->compressed_offset),
                              std::string_view(cut->inflated).substr(at - window));
    ASSERT_TRUE(rest) << "the rest after the cut at " << at << " does not inflate";
    EXPECT_TRUE(*rest == stream.inflated.substr(at)) << "the rest after " << at << " differs";
  }
}

TEST(FindStreamCut, FindsNoneWithinTheSearchOrInAStreamThatEnds) {
  const Stream stream = LargeStream();
  const auto first = FindStreamCut(stream.deflated, 1, stream.inflated.size());
  ASSERT_TRUE(first);
  const std::size_t at = first->inflated.size();
  // No cut before the first one: a search that stops short of it finds nothing.
  EXPECT_FALSE(FindStreamCut(stream.deflated, 1, at - 1));
  EXPECT_FALSE(FindStreamCut(stream.deflated, at + 1, at));  // nothing to search
  // Nothing past the last block, however far the search may go.
  EXPECT_FALSE(FindStreamCut(stream.deflated, stream.inflated.size(), SIZE_MAX));
  EXPECT_FALSE(FindStreamCut(DeflatedInOnePass(SelectedSheet(20, 1)), 0, 100000));
  // Stored blocks end on whole bytes, the last one too: bytes after it are no stream to keep.
  const std::string text = SelectedSheet(2000, 2);
  EXPECT_FALSE(FindStreamCut(DeflatedInOnePass(text, 0) + "PK\x07\x08", text.size(), SIZE_MAX));
  // A stream that stops after a flushed block, with no last block: nothing follows to keep.
  BlockDeflater blocks(1, 1);
  blocks.Add(text.substr(0, 50000));
  blocks.Add(text.substr(50000));
  EXPECT_FALSE(FindStreamCut(blocks.Finish().pieces.front(), 50000, SIZE_MAX));
  // A stream cut short, or not a stream at all.
  EXPECT_FALSE(FindStreamCut(std::string_view(stream.deflated).substr(0, 1000), 900000,
                             stream.inflated.size()));
  EXPECT_FALSE(FindStreamCut(std::string(5000, '\xFF'), 1000, 100000));
}

TEST(SpliceStream, TheRecordedCrcAndSizeFollowTheNewStart) {
  const Stream stream = LargeStream();
  DeflateStream source{stream.deflated, Crc(stream.inflated), stream.inflated.size()};
  struct Case {
    const char* what;
    std::size_t replaced;
    std::string replacement;
  };
  const Case cases[] = {
      {"a shorter start", 300, std::string(stream.inflated.substr(0, 280))},
      {"a longer start", 300, std::string(5000, 'x') + stream.inflated.substr(0, 300)},
      {"no start at all", 300, ""},
      {"bytes put before the stream", 0, "<!-- before -->"},
  };
  for (const Case& c : cases) {
    const auto cut = FindStreamCut(stream.deflated, c.replaced + kDeflateWindow, SIZE_MAX);
    ASSERT_TRUE(cut) << c.what;
    const DeflatedPart part = SpliceStream(source, *cut, c.replaced, c.replacement, 6);
    EXPECT_TRUE(Unpacked(part, c.what) == c.replacement + stream.inflated.substr(c.replaced))
        << c.what << ": the spliced stream differs";
  }
}

}  // namespace
}  // namespace brintova::engine::package

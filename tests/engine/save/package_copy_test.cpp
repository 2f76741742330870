// Saving into a copy of the source package: from the bytes read at opening whatever became of
// the file since, parts found as the reader found them, stored parts stored, the result sheet
// opening as the active and only selected one, and the odd packages a reader accepts saved
// into packages other programs read.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <pugixml.hpp>
#include <random>

#include "engine/package/save_workbook.h"
#include "engine/package/test_package.h"
#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "save_helpers.h"
#include "support/raw_zip.h"

namespace brintova::engine::savetest {
namespace {

using testing::Entries;
using testing::MakeZip;
using testing::MinimalWorkbook;

const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kPackageRel = "http://schemas.openxmlformats.org/package/2006/relationships";

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string& Part(Entries& entries, const std::string& name) {
  for (auto& [entry, data] : entries) {
    if (entry == name) return data;
  }
  throw std::runtime_error("no part " + name);
}

pugi::xml_document Xml(const std::string& text) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(text.c_str())) << text;
  return document;
}

// Saves a copy of the package `entries` with a result sheet added, reads the saved file back
// and answers its entries.
std::map<std::string, std::string> SaveWithResultSheet(const Entries& entries,
                                                       const ScratchFolder& folder,
                                                       CellTexts* written = nullptr) {
  const std::string source = folder.File("source.xlsx");
  WriteFile(source, MakeZip(entries));
  auto book = Open(source);
  const CellTexts digits = AddDigitsSheet(*book);
  if (written != nullptr) *written = digits;
  const std::string saved = folder.File("saved.xlsx");
  Save(*book, saved);
  const auto reopened = Open(saved);
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)), digits);
  return ZipEntries(saved);
}

TEST(SaveFromWhatWasRead, SavesTheSameWhateverBecomesOfTheSource) {
  struct Change {
    const char* what;
    std::function<void(const std::string& source, const ScratchFolder& folder)> apply;
  };
  const Change changes[] = {
      {"deleted", [](const std::string& source, const ScratchFolder&) { unlink(source.c_str()); }},
      {"edited in place",
       [](const std::string& source, const ScratchFolder&) {
         WriteFile(source, ReadBytes(DataPath("save_macro.xlsm")));
       }},
      {"replaced",
       [](const std::string& source, const ScratchFolder& folder) {
         const std::string other = folder.File("other.xlsx");
         CopyFile(DataPath("save_macro.xlsm"), other);
         std::rename(other.c_str(), source.c_str());
       }},
  };
  for (const Change& change : changes) {
    ScratchFolder folder;
    const std::string source = folder.File("source.xlsx");
    CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
    auto book = Open(source);
    AddDigitsSheet(*book);
    const std::string early = folder.File("early.xlsx");
    Save(*book, early);  // right after the run
    change.apply(source, folder);
    const std::string late = folder.File("late.xlsx");
    ASSERT_EQ(FailureOf([&] { Save(*book, late); }), "(no failure)") << change.what;
    EXPECT_EQ(ZipEntries(late), ZipEntries(early)) << change.what;
  }
}

TEST(SaveFromWhatWasRead, StoredPartsStayStoredByteForByte) {
  Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>12</v></c></row>)");
  entries.emplace_back("xl/media/image1.png", std::string(5000, '\x89'));
  ScratchFolder folder;
  const std::string source = folder.File("source.xlsx");
  WriteFile(source, MakeZip(entries, 0));
  auto book = Open(source);
  AddDigitsSheet(*book);
  const std::string saved = folder.File("saved.xlsx");
  Save(*book, saved);
  const auto before = testfiles::ZipStoredEntries(source);
  const auto after = testfiles::ZipStoredEntries(saved);
  for (const char* untouched : {"_rels/.rels", "xl/media/image1.png", "xl/worksheets/sheet1.xml"}) {
    ASSERT_TRUE(after.contains(untouched)) << untouched;
    EXPECT_EQ(after.at(untouched).method, 0) << untouched;
    EXPECT_EQ(after.at(untouched).compressed_bytes, before.at(untouched).compressed_bytes)
        << untouched;
  }
}

TEST(SaveFromWhatWasRead, OpensOnTheResultSheetAloneSelected) {
  // The file's active and selected sheet is Data, its second tab.
  ScratchFolder folder;
  const std::string source = folder.File("source.xlsx");
  CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
  auto book = Open(source);
  AddDigitsSheet(*book);
  const std::string saved = folder.File("saved.xlsx");
  Save(*book, saved);
  const auto before = ZipEntries(source);
  const auto after = ZipEntries(saved);

  const pugi::xml_document workbook = Xml(after.at("xl/workbook.xml"));
  EXPECT_EQ(workbook.select_node("//workbookView").node().attribute("activeTab").as_int(), 0);
  const pugi::xml_document result = Xml(after.at("xl/worksheets/sheet3.xml"));
  EXPECT_TRUE(result.select_node("//sheetView").node().attribute("tabSelected").as_bool());
  // Data loses its mark and nothing else: the part is the source's without the attribute.
  std::string deselected = before.at("xl/worksheets/sheet1.xml");
  const std::string mark = " tabSelected=\"1\"";
  deselected.erase(deselected.find(mark), mark.size());
  EXPECT_EQ(after.at("xl/worksheets/sheet1.xml"), deselected);
  EXPECT_EQ(after.at("xl/worksheets/sheet2.xml"), before.at("xl/worksheets/sheet2.xml"));
  EXPECT_EQ(after.at("xl/chartsheets/sheet1.xml"), before.at("xl/chartsheets/sheet1.xml"));
}

// Parts of several megabytes are deflated in blocks as they are written: the selected source
// sheet, edited on its way through, and the result sheet must both arrive whole.
TEST(SaveFromWhatWasRead, LargeSheetsArriveWholeWhenDeflatedInBlocks) {
  ScratchFolder folder;
  std::string cells;
  for (int row = 1; row <= 30000; ++row) {
    const std::string r = std::to_string(row);
    cells += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>item " + r +
             " of lot " + std::to_string(row * 7919 % 100003) + "</t></is></c><c r=\"B" + r +
             "\"><v>" + std::to_string(row * 0.25) + "</v></c></row>";
  }
  const std::string part = "<worksheet xmlns=\"" + kMain +
                           "\"><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/>"
                           "</sheetViews><sheetData>" +
                           cells + "</sheetData></worksheet>";
  ASSERT_GT(part.size(), 2u << 20) << "the part should span several blocks";
  Entries entries = testing::WorkbookWithSheetPart(part);
  CellTexts written;
  const auto saved = SaveWithResultSheet(entries, folder, &written);
  EXPECT_GT(written.size(), 50000u);
  std::string deselected = part;
  const std::string mark = " tabSelected=\"1\"";
  deselected.erase(deselected.find(mark), mark.size());
  EXPECT_TRUE(saved.at("xl/worksheets/sheet1.xml") == deselected)
      << "the source sheet differs from the source without its mark";
}

// A saved workbook run again: the first result sheet, large and selected, loses its mark by a
// splice that keeps the deflated blocks this program wrote, and every cell reads back as it was.
TEST(SaveFromWhatWasRead, AResultSheetSavedAgainLosesItsMarkAndKeepsItsCells) {
  ScratchFolder folder;
  std::string cells;
  for (int row = 1; row <= 30000; ++row) {
    const std::string r = std::to_string(row);
    cells += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>ref " +
             std::to_string(row * 7919 % 100003) + "-" + std::to_string(row * 104729LL % 999983) +
             "</t></is></c><c r=\"B" + r + "\"><v>" + std::to_string(row * 37 % 1009) +
             "</v></c></row>";
  }
  const std::string source = folder.File("source.xlsx");
  WriteFile(source, MakeZip(testing::MinimalWorkbook(cells)));
  auto book = Open(source);
  AddDigitsSheet(*book);
  const std::string first = folder.File("first.xlsx");
  Save(*book, first);
  const auto first_entries = ZipEntries(first);
  std::string result_part;
  for (const auto& [name, data] : first_entries) {
    if (name.starts_with("xl/worksheets/") &&
        data.find(" tabSelected=\"1\"") != std::string::npos) {
      result_part = name;
    }
  }
  ASSERT_FALSE(result_part.empty()) << "no selected sheet in the first save";
  ASSERT_GT(first_entries.at(result_part).size(), std::size_t{1} << 21);

  auto again = Open(first);
  AddDigitsSheet(*again);
  const std::string second = folder.File("second.xlsx");
  Save(*again, second);
  const auto reopened = Open(second);
  ASSERT_EQ(reopened->SheetCount(), 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(SheetTexts(*reopened, reopened->sheet(i + 1)) ==
                SheetTexts(*again, again->sheet(i + 1)))
        << "sheet " << i + 1 << " of the first save reads back otherwise";
  }
  std::string deselected = first_entries.at(result_part);
  const std::string mark = " tabSelected=\"1\"";
  deselected.erase(deselected.find(mark), mark.size());
  EXPECT_TRUE(ZipEntries(second).at(result_part) == deselected)
      << "the first result sheet differs from itself without its mark";
  // Its deflated blocks after the edited start are the first save's, byte for byte.
  const std::string before = testfiles::ZipStoredEntries(first).at(result_part).compressed_bytes;
  const std::string after = testfiles::ZipStoredEntries(second).at(result_part).compressed_bytes;
  std::size_t common = 0;
  while (common < std::min(before.size(), after.size()) &&
         before[before.size() - 1 - common] == after[after.size() - 1 - common]) {
    ++common;
  }
  EXPECT_GT(common, before.size() / 2) << "the part was deflated again whole";
}

TEST(SaveFromWhatWasRead, PackagesTheReaderAcceptsAreSavedWhole) {
  {
    SCOPED_TRACE("no content types");
    Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>42</v></c></row>)");
    entries.erase(entries.begin());
    ScratchFolder folder;
    const auto saved = SaveWithResultSheet(entries, folder);
    const pugi::xml_document types = Xml(saved.at("[Content_Types].xml"));
    EXPECT_STREQ(types.select_node("//Override[@PartName='/xl/workbook.xml']")
                     .node()
                     .attribute("ContentType")
                     .value(),
                 "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    EXPECT_TRUE(types.select_node("//Override[@PartName='/xl/worksheets/sheet1.xml']"));
    EXPECT_TRUE(types.select_node("//Override[@PartName='/xl/worksheets/sheet2.xml']"));
  }
  {
    SCOPED_TRACE("parts named in another case");
    Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>7</v></c></row>)");
    Part(entries, "_rels/.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/officeDocument\" Target=\"/XL/WORKBOOK.XML\"/></Relationships>";
    Part(entries, "xl/_rels/workbook.xml.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/worksheet\" Target=\"Worksheets/Sheet1.XML\"/></Relationships>";
    ScratchFolder folder;
    const auto saved = SaveWithResultSheet(entries, folder);
    const pugi::xml_document workbook = Xml(saved.at("xl/workbook.xml"));
    EXPECT_EQ(workbook.select_nodes("/workbook/sheets/sheet").size(), 2u);
  }
  {
    SCOPED_TRACE("a sheet listed in an extension list");
    Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>7</v></c></row>)");
    Part(entries, "xl/workbook.xml") =
        "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel +
        R"("><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets><extLst><ext uri="u">)"
        "<x:sheets xmlns:x=\"" +
        kMain + R"("><x:sheet name="Ghost" sheetId="2" r:id="rId1"/></x:sheets></ext></extLst>)" +
        "</workbook>";
    ScratchFolder folder;
    const auto saved = SaveWithResultSheet(entries, folder);
    std::vector<std::string> names;
    const pugi::xml_document workbook = Xml(saved.at("xl/workbook.xml"));
    for (const pugi::xpath_node s : workbook.select_nodes("/workbook/sheets/sheet")) {
      names.push_back(s.node().attribute("name").value());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Sheet1", "Data"}));
  }
}

TEST(SaveFromWhatWasRead, NewSheetsGetFreeIdsAndOneStylesPart) {
  {
    SCOPED_TRACE("the largest sheet id");
    Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>7</v></c></row>)");
    Part(entries, "xl/workbook.xml") = "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel +
                                       R"("><sheets><sheet name="Data" sheetId="4294967295" )"
                                       R"(r:id="rId1"/></sheets></workbook>)";
    ScratchFolder folder;
    const auto saved = SaveWithResultSheet(entries, folder);
    const pugi::xml_document workbook = Xml(saved.at("xl/workbook.xml"));
    EXPECT_STREQ(
        workbook.select_node("//sheet[@name='Sheet1']").node().attribute("sheetId").value(), "1");
  }
  {
    SCOPED_TRACE("a styles relationship whose part is missing");
    Entries entries = MinimalWorkbook(R"(<row r="1"><c r="A1"><v>7</v></c></row>)");
    Part(entries, "xl/_rels/workbook.xml.rels") =
        "<Relationships xmlns=\"" + kPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
        "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + kRel +
        "/styles\" Target=\"gone.xml\"/></Relationships>";
    ScratchFolder folder;
    const auto saved = SaveWithResultSheet(entries, folder);
    const pugi::xml_document rels = Xml(saved.at("xl/_rels/workbook.xml.rels"));
    const auto styles = rels.select_nodes("//Relationship[contains(@Type, '/styles')]");
    ASSERT_EQ(styles.size(), 1u);
    EXPECT_TRUE(
        saved.contains("xl/" + std::string(styles.first().node().attribute("Target").value())));
  }
}

TEST(SaveFromWhatWasRead, NonFiniteNumbersAreSavedAsTheirError) {
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  sheet.Put(1, model::Cell::Number(1, std::numeric_limits<double>::quiet_NaN(), 0));
  sheet.Put(1, model::Cell::Number(2, -std::numeric_limits<double>::infinity(), 0));
  sheet.Put(1, model::Cell::Number(3, 2.5, 0));
  ScratchFolder folder;
  const std::string saved = folder.File("saved.xlsx");
  Save(book, saved);
  const pugi::xml_document xml = Xml(ZipEntries(saved).at("xl/worksheets/sheet1.xml"));
  for (const char* cell : {"A1", "B1"}) {
    const pugi::xml_node c =
        xml.select_node(("//c[@r='" + std::string(cell) + "']").c_str()).node();
    EXPECT_STREQ(c.attribute("t").value(), "e") << cell;
    EXPECT_STREQ(c.child_value("v"), "#NUM!") << cell;
  }
  const auto reopened = Open(saved);
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)),
            (CellTexts{{{1, 1}, "#NUM!"}, {{1, 2}, "#NUM!"}, {{1, 3}, "2.5"}}));
}

// A small file system of its own, for a disk that fills up; nullopt where mounting is not
// allowed.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& path) : path_(path) {
    std::filesystem::create_directories(path_);
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount(path_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST(SaveFromWhatWasRead, AFullDiskIsSaidInTheUsersTerms) {
  ScratchFolder folder;
  SmallDisk disk(folder.File("disk"));
  if (!disk.mounted()) GTEST_SKIP() << "a small file system cannot be mounted here";
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  std::mt19937 random(7);
  for (int row = 1; row <= 4000; ++row) {
    std::u16string text;
    for (int i = 0; i < 60; ++i) text.push_back(static_cast<char16_t>(u'A' + random() % 58));
    sheet.Put(row, model::Cell::OwnedString(1, sheet.strings().Add(text), 0));
  }
  const std::string target = folder.File("disk/results.xlsx");
  const std::string message = FailureOf([&] { Save(book, target); });
  EXPECT_NE(message.find("\"" + target + "\": the disk is full"), std::string::npos) << message;
  EXPECT_EQ(message.find(".tmp"), std::string::npos) << message;
  EXPECT_TRUE(folder.Entries("disk").empty());
}

}  // namespace
}  // namespace brintova::engine::savetest

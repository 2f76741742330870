// Saving a workbook opened from an Office Open XML package: untouched parts stay byte for
// byte, the result sheet comes first, positions that count sheets follow their sheets, and the
// file is refused or left alone where it must be.
#include "engine/package/save_workbook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <pugixml.hpp>
#include <set>

#include "engine/package/zip_writer.h"
#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "save_helpers.h"

namespace brintova::engine::savetest {
namespace {

TEST(SaveWorkbookAs, KeepsUntouchedPartsAndShiftsEverySheetPosition) {
  ScratchFolder folder;
  const std::string source = folder.File("source.xlsx");
  CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
  auto book = Open(source);
  const CellTexts data_before = SheetTexts(*book, book->sheet(1));
  const CellTexts written = AddDigitsSheet(*book);
  ASSERT_FALSE(written.empty());
  const std::string saved = folder.File("saved.xlsx");
  Save(*book, saved);

  // Only the four edited parts differ, and Data's, which loses its selection to the result
  // sheet; the one new part is the result sheet.
  const auto before = ZipEntries(source);
  const auto after = ZipEntries(saved);
  EXPECT_EQ(
      ChangedEntries(before, after),
      (std::vector<std::string>{"[Content_Types].xml", "xl/_rels/workbook.xml.rels",
                                "xl/styles.xml", "xl/workbook.xml", "xl/worksheets/sheet1.xml"}));
  std::set<std::string> added;
  for (const auto& [name, contents] : after) {
    if (!before.count(name)) added.insert(name);
  }
  EXPECT_EQ(added, (std::set<std::string>{"xl/worksheets/sheet3.xml"}));

  pugi::xml_document workbook;
  ASSERT_TRUE(workbook.load_string(after.at("xl/workbook.xml").c_str()));
  std::vector<std::string> order;
  for (pugi::xml_node s : workbook.child("workbook").child("sheets").children("sheet")) {
    order.push_back(s.attribute("name").value());
  }
  EXPECT_EQ(order, (std::vector<std::string>{"Sheet1", "Chart1", "Data", "Other"}));
  EXPECT_STREQ(workbook.select_node("//sheet[@name='Other']").node().attribute("state").value(),
               "hidden");
  // The result sheet is the active one, as the application shows a sheet just inserted.
  EXPECT_EQ(workbook.select_node("//workbookView").node().attribute("activeTab").as_int(), 0);
  struct Name {
    const char* name;
    const char* local_sheet;
  };
  for (const Name& n : {Name{"LocalName", "2"}, Name{"OtherLocal", "3"},
                        Name{"_xlnm.Print_Area", "2"}, Name{"Total", ""}}) {
    const pugi::xml_node node =
        workbook.select_node(("//definedName[@name='" + std::string(n.name) + "']").c_str()).node();
    ASSERT_TRUE(node) << n.name;
    EXPECT_STREQ(node.attribute("localSheetId").value(), n.local_sheet) << n.name;
  }
  pugi::xml_document types;
  ASSERT_TRUE(types.load_string(after.at("[Content_Types].xml").c_str()));
  EXPECT_TRUE(types.select_node("//Override[@PartName='/xl/worksheets/sheet3.xml']"));

  // The engine reads it back: the result sheet first, the data sheet unchanged, each local
  // name still on its sheet.
  const auto reopened = Open(saved);
  ASSERT_EQ(reopened->SheetCount(), 4u);
  EXPECT_EQ(reopened->sheet(0).name(), u"Sheet1");
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)), written);
  EXPECT_EQ(reopened->sheet(1).kind(), model::SheetKind::kChart);
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(2)), data_before);
  for (const model::DefinedName& name : reopened->names()) {
    if (name.local_sheet < 0) continue;
    const std::u16string owner = reopened->sheet(name.local_sheet).name();
    EXPECT_NE(name.formula.find(owner + u"!"), std::u16string::npos) << ToUtf8(name.name);
  }

  // So does LibreOffice.
  const auto shown = LibreOfficeFirstSheet(saved, folder.path());
  if (!shown) GTEST_SKIP() << "soffice is not installed";
  EXPECT_EQ(*shown, written);
}

TEST(SaveWorkbookAs, MacroWorkbookKeepsItsProjectAndRefusesToDropIt) {
  ScratchFolder folder;
  const std::string source = folder.File("macro.xlsm");
  CopyFile(DataPath("save_macro.xlsm"), source);
  auto book = Open(source);
  AddDigitsSheet(*book);

  const std::string as_xlsx = folder.File("macro.xlsx");
  EXPECT_NE(FailureOf([&] { Save(*book, as_xlsx); }).find("macros"), std::string::npos);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"macro.xlsm"}));

  const std::string saved = folder.File("saved.xlsm");
  Save(*book, saved);
  const auto before = ZipEntries(source);
  const auto after = ZipEntries(saved);
  EXPECT_EQ(after.at("xl/vbaProject.bin"), before.at("xl/vbaProject.bin"));
  pugi::xml_document types;
  ASSERT_TRUE(types.load_string(after.at("[Content_Types].xml").c_str()));
  EXPECT_STREQ(types.select_node("//Override[@PartName='/xl/workbook.xml']")
                   .node()
                   .attribute("ContentType")
                   .value(),
               "application/vnd.ms-excel.sheet.macroEnabled.main+xml");
  EXPECT_TRUE(types.select_node("//*[@ContentType='application/vnd.ms-office.vbaProject']"));

  // As a macro-enabled template only the main part's content type changes.
  const std::string as_template = folder.File("saved.xltm");
  Save(*book, as_template);
  pugi::xml_document template_types;
  ASSERT_TRUE(
      template_types.load_string(ZipEntries(as_template).at("[Content_Types].xml").c_str()));
  EXPECT_STREQ(template_types.select_node("//Override[@PartName='/xl/workbook.xml']")
                   .node()
                   .attribute("ContentType")
                   .value(),
               "application/vnd.ms-excel.template.macroEnabled.main+xml");
}

TEST(SaveWorkbookAs, NeverWritesOverTheSource) {
  ScratchFolder folder;
  const std::string source = folder.File("source.xlsx");
  CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
  ASSERT_EQ(symlink(source.c_str(), folder.File("link.xlsx").c_str()), 0);
  const std::string original = ReadBytes(source);
  auto book = Open(source);
  AddDigitsSheet(*book);
  for (const std::string& target :
       {source, folder.File("link.xlsx"), folder.path() + "/./source.xlsx"}) {
    EXPECT_NE(FailureOf([&] { Save(*book, target); }).find("opened from"), std::string::npos)
        << target;
  }
  EXPECT_EQ(ReadBytes(source), original);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"link.xlsx", "source.xlsx"}));
}

TEST(SaveWorkbookAs, AFailedSaveLeavesNoFileBehind) {
  ScratchFolder folder;
  const std::string source = folder.File("gone.xlsx");
  CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
  auto book = Open(source);
  AddDigitsSheet(*book);
  ASSERT_EQ(unlink(source.c_str()), 0);  // saving does not need it any more
  book->sheet(2).set_changed(true);      // but a copy cannot hold a changed sheet of the file
  const std::string message = FailureOf([&] { Save(*book, folder.File("out.xlsx")); });
  EXPECT_NE(message.find("Data"), std::string::npos) << message;
  EXPECT_TRUE(folder.Entries().empty());

  // An existing file at the target survives a failed save unchanged.
  CopyFile(DataPath("save_macro.xlsm"), folder.File("keep.xlsx"));
  EXPECT_NE(FailureOf([&] { Save(*book, folder.File("keep.xlsx")); }), "(no failure)");
  EXPECT_EQ(ReadBytes(folder.File("keep.xlsx")), ReadBytes(DataPath("save_macro.xlsm")));
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"keep.xlsx"}));
}

TEST(SaveWorkbookAs, RefusesWhatItCannotWriteFaithfully) {
  ScratchFolder folder;
  const std::string source = folder.File("source.xlsx");
  CopyFile(DataPath("save_names_chartsheet.xlsx"), source);
  auto book = Open(source);
  EXPECT_NE(FailureOf([&] { Save(*book, folder.File("out.xls")); }).find(".xlsx"),
            std::string::npos);
  book->sheet(1).set_changed(true);  // a sheet of the file itself was written
  EXPECT_NE(FailureOf([&] { Save(*book, folder.File("out.xlsx")); }).find("Data"),
            std::string::npos);
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"source.xlsx"}));
}

// The package is written through a buffer that reaches the file a megabyte at a time, and libzip
// goes back to finish each local header once its entry's data is written: whether that header
// is still buffered or already in the file, every local header must agree with the central
// directory, which is all a strict reader looks at.
TEST(SaveWorkbookAs, LocalHeadersAgreeWithTheDirectoryPastTheBuffer) {
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Noise", model::SheetKind::kWorksheet);
  std::uint32_t state = 12345;
  for (std::int32_t row = 1; row <= 60000; ++row) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) {
      state = state * 1103515245u + 12345u;  // text that deflates poorly: megabytes of output
      text.push_back(static_cast<char16_t>(u'A' + (state >> 16) % 26));
    }
    sheet.Put(row, model::Cell::OwnedString(1, sheet.strings().Add(text), 0));
  }
  sheet.set_changed(true);
  ScratchFolder scratch;
  const std::string path = scratch.File("noise.xlsx");
  Save(book, path);
  const std::string zip = ReadBytes(path);
  ASSERT_GT(zip.size(), std::size_t{1} << 20);
  const auto u16 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(zip[at]) |
                                      static_cast<unsigned char>(zip[at + 1]) << 8);
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  ASSERT_NE(end, std::string::npos);
  const std::size_t entries = u16(end + 10);
  std::size_t at = u32(end + 16);
  ASSERT_GE(entries, 5u);
  for (std::size_t i = 0; i < entries; ++i) {
    ASSERT_EQ(u32(at), 0x02014b50u);
    const std::string name = zip.substr(at + 46, u16(at + 28));
    const std::size_t local = u32(at + 42);
    ASSERT_EQ(u32(local), 0x04034b50u) << name;
    EXPECT_EQ(zip.substr(local + 30, u16(local + 26)), name);
    if ((u16(local + 6) & 8) == 0) {  // no data descriptor: the header carries the figures
      EXPECT_EQ(u32(local + 14), u32(at + 16)) << name << ": CRC";
      EXPECT_EQ(u32(local + 18), u32(at + 20)) << name << ": compressed size";
      EXPECT_EQ(u32(local + 22), u32(at + 24)) << name << ": size";
    }
    at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
  }
  const auto reopened = Open(path);
  const model::Sheet& read = reopened->sheet(0);
  EXPECT_EQ(read.CellCount(), 60000u);
  EXPECT_EQ(reopened->CellString(read, *read.Find(60000, 1)),
            book.CellString(sheet, *sheet.Find(60000, 1)));
}

// A package written over a file that held more keeps nothing of it past its own end.
TEST(ZipWriter, WritingOverALongerFileLeavesOnlyThePackage) {
  ScratchFolder scratch;
  const std::string path = scratch.File("over.zip");
  std::ofstream(path, std::ios::binary) << std::string(3u << 20, 'x');
  package::ZipWriter zip(path, "over.zip");
  zip.AddPart("a.xml", "<a/>");
  zip.Close();
  const std::string bytes = ReadBytes(path);
  const std::size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(bytes.size(), end + 22);
  EXPECT_EQ(ZipEntries(path), (std::map<std::string, std::string>{{"a.xml", "<a/>"}}));
}

}  // namespace
}  // namespace brintova::engine::savetest

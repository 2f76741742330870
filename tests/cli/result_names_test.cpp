// Result names: the saved kind's extension and the " (2)" rule.
#include "cli/result_names.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/text.h"

namespace brintova::cli {
namespace {

TEST(ResultFileName, KeepsTheSourcesKindInSheetMode) {
  struct Row {
    const char* source;
    const char* sheet_mode;
  };
  for (const Row& row :
       {Row{"in/Book1.xlsx", "Book1.xlsx"}, Row{"in/Book1.xls", "Book1.xlsx"},
        Row{"Macro.XLSM", "Macro.xlsm"}, Row{"a/T.xltx", "T.xltx"}, Row{"a/T.xltm", "T.xltm"},
        Row{"a/Old.xlt", "Old.xltx"}, Row{"data.csv", "data.xlsx"}, Row{"notes", "notes.xlsx"},
        Row{"a.b/.hidden", ".hidden.xlsx"}, Row{"v1.2.xlsx", "v1.2.xlsx"},
        Row{"b/Bin.xlsb", "Bin.xlsx"}, Row{"c/Open.ods", "Open.xlsx"}}) {
    EXPECT_EQ(ToUtf8(ResultFileName(ToUtf16(row.source), false)), row.sheet_mode) << row.source;
  }
}

TEST(ResultFileName, IsAlwaysXlsxInWorkbookMode) {
  for (const char* source : {"m.xlsm", "t.xltx", "t.xlt", "b.xls", "b.xlsx"}) {
    const std::string name = ToUtf8(ResultFileName(ToUtf16(source), true));
    EXPECT_EQ(name.substr(name.size() - 5), ".xlsx") << source;
  }
}

TEST(KindChangeNote, NamesTheResultOfEveryKindTheEngineDoesNotWrite) {
  EXPECT_EQ(ToUtf8(KindChangeNote(u"in/Book.ODS", u"out/Book.xlsx")),
            "in/Book.ODS: the OpenDocument format is read only; the result is saved as "
            "out/Book.xlsx");
  EXPECT_EQ(
      ToUtf8(KindChangeNote(u"b.xlsb", u"o/b.xlsx")),
      "b.xlsb: the Excel binary (.xlsb) format is read only; the result is saved as o/b.xlsx");
  for (const char* source : {"a.xls", "a.xlt", "a.ots"}) {
    EXPECT_NE(KindChangeNote(ToUtf16(source), u"out/a.xlsx"), u"") << source;
  }
  for (const char* source : {"a.xlsx", "a.xlsm", "a.xltx", "a.csv", "notes"}) {
    EXPECT_EQ(KindChangeNote(ToUtf16(source), u"out/a.xlsx"), u"") << source;
  }
}

std::vector<std::string> Assign(const std::vector<std::string>& sources,
                                const std::set<std::string>& source_files = {}) {
  std::vector<std::u16string> paths;
  for (const std::string& source : sources) paths.push_back(ToUtf16(source));
  const auto results = AssignResultPaths(paths, u"out", false, [&](std::u16string_view path) {
    return source_files.contains(ToUtf8(path));
  });
  std::vector<std::string> names;
  for (const std::u16string& result : results) names.push_back(ToUtf8(result));
  return names;
}

TEST(AssignResultPaths, NumbersSameNamesInListOrder) {
  EXPECT_EQ(Assign({"a/Book.xlsx", "b/Book.xlsx", "c/Book.xls", "Other.xlsx"}),
            (std::vector<std::string>{"out/Book.xlsx", "out/Book (2).xlsx", "out/Book (3).xlsx",
                                      "out/Other.xlsx"}));
}

TEST(AssignResultPaths, TreatsNamesDifferingInCaseAsTheSame) {
  EXPECT_EQ(Assign({"a/Book.xlsx", "b/BOOK.xlsx"}),
            (std::vector<std::string>{"out/Book.xlsx", "out/BOOK (2).xlsx"}));
}

TEST(AssignResultPaths, SkipsANumberedNameAlreadyGiven) {
  EXPECT_EQ(Assign({"a/Book (2).xlsx", "b/Book.xlsx", "c/Book.xlsx"}),
            (std::vector<std::string>{"out/Book (2).xlsx", "out/Book.xlsx", "out/Book (3).xlsx"}));
}

TEST(AssignResultPaths, NeverNamesASourceFile) {
  EXPECT_EQ(Assign({"out/Book.xlsx", "out/Book (2).xlsx"}, {"out/Book.xlsx", "out/Book (2).xlsx"}),
            (std::vector<std::string>{"out/Book (3).xlsx", "out/Book (2) (2).xlsx"}));
}

TEST(AssignResultPaths, AddsTheSeparatorOnce) {
  const auto results =
      AssignResultPaths({u"x.xlsx"}, u"out/", false, [](std::u16string_view) { return false; });
  EXPECT_EQ(results, (std::vector<std::u16string>{u"out/x.xlsx"}));
}

}  // namespace
}  // namespace brintova::cli

// The path join rule, removing rows and "Clear List".
#include "filelist/file_list.h"

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "platform/text.h"
#include "world.h"

namespace brintova {
namespace {

using testing::World;

struct JoinCase {
  char16_t separator;
  std::u16string folder, name, expected;
};

TEST(JoinPath, RepairsTheDoubledSeparatorAfterARootOnly) {
  const JoinCase cases[] = {
      {u'\\', u"C:\\", u"a.xls", u"C:\\a.xls"},
      {u'\\', u"C:\\Data", u"a.xls", u"C:\\Data\\a.xls"},
      {u'\\', u"D:\\\\Sub", u"y.xls", u"D:\\Sub\\y.xls"},  // a walk entry under a drive root
      {u'\\', u"C:\\\\x:\\\\y", u"z", u"C:\\x:\\y\\z"},    // every occurrence
      {u'\\', u"\\\\server\\share", u"b.xls", u"\\\\server\\share\\b.xls"},
      {u'\\', u"C:\\Data\\", u"a.xls", u"C:\\Data\\\\a.xls"},  // not a root: unchanged
      {u'/', u"/", u"a.xls", u"/a.xls"},
      {u'/', u"//Sub", u"y.xls", u"/Sub/y.xls"},
      {u'/', u"/home/u", u"Book 1.xlsx", u"/home/u/Book 1.xlsx"},
      {u'/', u"/home/u/", u"a", u"/home/u//a"},  // not a root: unchanged
      {u'/', u"/mnt/c:", u"a", u"/mnt/c:/a"},
  };
  for (const JoinCase& c : cases) {
    EXPECT_EQ(ToUtf8(JoinPath(c.separator, c.folder, c.name)), ToUtf8(c.expected))
        << "folder " << ToUtf8(c.folder) << " name " << ToUtf8(c.name);
  }
}

struct RemovalCase {
  const char* what;
  std::optional<std::int32_t> selected;
  bool double_click;
  std::int32_t key_code;
  std::vector<std::u16string> expected;
};

TEST(RemoveRow, TakesOnlyTheSelectedRowAndSwallowsEveryFailure) {
  const RemovalCase cases[] = {
      {"Delete with row 2 selected", 2, false, 46, {u"a", u"c", u"a"}},
      {"Delete with the last row selected", 4, false, 46, {u"a", u"b", u"c"}},
      {"Delete with nothing selected", std::nullopt, false, 46, {u"a", u"b", u"c", u"a"}},
      {"Backspace with a row selected", 2, false, 8, {u"a", u"b", u"c", u"a"}},
      {"double-click with row 1 selected", 1, true, 0, {u"b", u"c", u"a"}},
      {"double-click with nothing selected", std::nullopt, true, 0, {u"a", u"b", u"c", u"a"}},
      {"a selection that is no longer there", 9, true, 0, {u"a", u"b", u"c", u"a"}},
  };
  for (const RemovalCase& c : cases) {
    World world;
    world.rows() = {u"a", u"b", u"c", u"a"};
    world.form.list_view.selected = c.selected;
    if (c.double_click) {
      ListView1_DblClick(world.ports);
    } else {
      ListView1_KeyDown(world.ports, c.key_code);
    }
    EXPECT_EQ(world.rows(), c.expected) << c.what;
    EXPECT_TRUE(world.dialogs.boxes.empty()) << c.what;
  }
}

TEST(ClearList, EmptiesTheListQuietly) {
  World world;
  world.rows() = {u"/a.xls", u"/b.xls"};
  PushButton1_Click(world.ports);
  EXPECT_TRUE(world.rows().empty());
  PushButton1_Click(world.ports);  // already empty
  EXPECT_TRUE(world.dialogs.boxes.empty());
}

class ListThatCannotClear : public testing::FakeListView {
 public:
  using FakeListView::FakeListView;
  void Clear() override { throw Failure(u"Method 'Clear' of object 'IListItems' failed"); }
};

class FormWithStuckList : public testing::FakeForm {
 public:
  ListThatCannotClear stuck{log};
  ListView& ListView1() override { return stuck; }
};

TEST(ClearList, ReportsAFailureAtLine100) {
  FormWithStuckList form;
  World world;
  Ports ports{form, world.dialogs, world.settings, world.files, world.shell, world.server};
  PushButton1_Click(ports);
  ASSERT_EQ(world.dialogs.boxes.size(), 1u);
  EXPECT_EQ(
      world.dialogs.boxes[0].text,
      HandlerErrorMessage(u"Method 'Clear' of object 'IListItems' failed", kPushButton1Tag, 100));
}

TEST(WorldErrorBoxes, ReadsTheLineOfEachBox) {
  World world;
  ReportHandlerError(world.dialogs, u"x", kPushButton6Tag, 132);
  world.dialogs.MessageBox(u"at line 7", MessageButtons::kOk, MessageIcon::kNone, u"Brintova");
  ReportHandlerError(world.dialogs, u"", kPushButton2Tag, 100);
  const auto boxes = world.error_boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].line, 132);
  EXPECT_EQ(boxes[1].line, 100);
}

}  // namespace
}  // namespace brintova

#include "app/error_report.h"

#include <gtest/gtest.h>

#include "fakes/fake_dialogs.h"

namespace brintova {
namespace {

using testing::ScriptedDialogs;

TEST(HandlerErrorMessage, IsBuiltByteForByte) {
  EXPECT_EQ(HandlerErrorMessage(u"Type mismatch", kFormLoadTag, 106),
            u"Type mismatch\r\nin Brintova2/19/2015.Form1.Form_Load at line 106\r\r"
            u"Please email screenshot of this message to support@korvane.example");
  // An empty description still gives the CR LF first.
  EXPECT_EQ(HandlerErrorMessage(u"", kPushButton1Tag, 100).substr(0, 2), u"\r\n");
}

TEST(GuardedHandler, ReportsAFailingStepAndGoesOnWithTheNext) {
  ScriptedDialogs dialogs;
  GuardedHandler guard(dialogs, kPushButton7Tag);
  std::vector<int> ran;
  guard.Step(100, [&] { ran.push_back(100); });
  const bool ok = guard.Step(102, [&] {
    throw Failure(u"Object required");
    ran.push_back(-1);
  });
  guard.Step(104, [&] { ran.push_back(104); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ran, (std::vector<int>{100, 104}));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, u"Application Error");
  EXPECT_EQ(dialogs.boxes[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(dialogs.boxes[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(dialogs.boxes[0].text, HandlerErrorMessage(u"Object required", kPushButton7Tag, 102));
}

TEST(GuardedHandler, AFailingConditionTakesItsBranch) {
  ScriptedDialogs dialogs;
  GuardedHandler guard(dialogs, kFormLoadTag);
  bool branch = false;
  if (guard.Test(104, []() -> bool { throw Failure(u"Bad file name or number"); })) {
    guard.Step(106, [&] { branch = true; });
  }
  EXPECT_TRUE(branch);
  EXPECT_EQ(guard.current_line(), 106);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find(u"at line 104\r\r"), std::u16string::npos);
}

TEST(GuardedHandler, TwoFailuresGiveTwoBoxesWithTheirOwnLines) {
  ScriptedDialogs dialogs;
  GuardedHandler guard(dialogs, kPushButton7Tag);
  int passes = 0;
  for (int i = 0; i < 3; ++i) {
    guard.Step(106, [&] {
      if (i != 1) throw Failure(u"Subscript out of range");
    });
    guard.Step(210, [&] { ++passes; });  // the loop goes on after a failure in its body
  }
  EXPECT_EQ(passes, 3);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_NE(dialogs.boxes[0].text.find(u"at line 106"), std::u16string::npos);
  EXPECT_NE(dialogs.boxes[1].text.find(u"at line 106"), std::u16string::npos);
}

TEST(GuardedHandler, ValueFallsBackAfterAReport) {
  ScriptedDialogs dialogs;
  GuardedHandler guard(dialogs, kPushButton6Tag);
  EXPECT_EQ(guard.Value(112, 7, [] { return 3; }), 3);
  EXPECT_EQ(guard.Value(114, 7, []() -> int { throw std::runtime_error("bad"); }), 7);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text.substr(0, 5), u"bad\r\n");
}

}  // namespace
}  // namespace brintova

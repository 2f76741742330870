#include "app/hover.h"

#include <gtest/gtest.h>

#include "app/operation_setting.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_server.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_window.h"
#include "fakes/present_files.h"

namespace brintova {
namespace {

struct Bundle {
  testing::FakeForm form;
  testing::ScriptedDialogs dialogs;
  testing::MemorySettings settings;
  testing::PresentFiles files;
  testing::RecordingShell shell;
  testing::FakeServer server;
  Ports ports{form, dialogs, settings, files, shell, server};
};

struct HoverRule {
  const char* name;
  void (*handler)(Ports&);
  std::int32_t sets;
};

TEST(HoverRules, SetHandOrArrowButNeverReplaceBusy) {
  const HoverRule rules[] = {
      {"Form", Form_MouseMove, kPointerDefault},
      {"Frame1", Frame1_MouseMove, kPointerDefault},
      {"Frame2", Frame2_MouseMove, kPointerDefault},
      {"ListView1", ListView1_MouseMove, kPointerDefault},
      {"PushButton1", PushButton1_MouseMove, kPointerCustom},
      {"PushButton2", PushButton2_MouseMove, kPointerCustom},
      {"PushButton3", PushButton3_MouseMove, kPointerCustom},
      {"PushButton6", PushButton6_MouseMove, kPointerCustom},
      {"PushButton7", PushButton7_MouseMove, kPointerCustom},
  };
  for (const auto& rule : rules) {
    for (const std::int32_t before : {kPointerDefault, kPointerCustom, kPointerBusy}) {
      Bundle b;
      b.form.mouse_pointer = before;
      rule.handler(b.ports);
      const std::int32_t expected = before == kPointerBusy ? kPointerBusy : rule.sets;
      EXPECT_EQ(b.form.mouse_pointer, expected) << rule.name << " from " << before;
      if (before == kPointerBusy) {
        EXPECT_TRUE(b.form.log.empty()) << rule.name;
      }
    }
  }
}

TEST(OperationSetting, ClickAndChangeSaveTheCurrentIndexEveryTime) {
  for (auto* handler : {Combo1_Click, Combo1_Change}) {
    Bundle b;
    b.form.combo.entries.assign(11, u"x");
    for (const std::int32_t index : {7, 7, 10, -1}) {
      b.form.combo.list_index = index;
      handler(b.ports);
      EXPECT_EQ(b.settings.values.at({u"Korvane", u"Brintova", u"Combo1"}),
                index == -1 ? u"-1" : (index == 10 ? u"10" : u"7"));
    }
    EXPECT_EQ(b.settings.saves, 4);  // re-picking the same entry saves again
  }
}

}  // namespace
}  // namespace brintova

// The registry settings store against the registry itself, read and written by reg.exe in
// another process as well, so what one process saves is what another reads.
#include "platform/win32/registry_settings_store.h"

#include <gtest/gtest.h>

#include "app/operation_setting.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "support/win32/processes.h"

namespace brintova {
namespace {

using wintest::RegExe;
using wintest::RunProcess;

// A branch of its own for each test under HKCU\Software, removed at the end.
class RegistryBranch : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = u"Software\\Brintova tests\\" +
            DecimalText(static_cast<long long>(GetCurrentProcessId())) + u"-" +
            ToUtf16(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(root_).c_str()); }

  // reg.exe run as a separate process on the key of section "Brintova" of "Korvane".
  wintest::ProcessResult Reg(std::u16string_view verb, std::u16string_view rest) {
    return RunProcess(RegExe() + u" " + std::u16string(verb) + u" \"HKCU\\" + root_ +
                      u"\\Korvane\\Brintova\" " + std::u16string(rest));
  }

  std::u16string root_;
};

TEST_F(RegistryBranch, WhatOneProcessSavesAnotherReads) {
  RegistrySettingsStore store(root_);
  store.SaveSetting(u"Korvane", u"Brintova", u"Combo1", u"8");
  const wintest::ProcessResult query = Reg(u"query", u"/v Combo1");
  EXPECT_EQ(query.exit_code, 0u) << query.output;
  EXPECT_NE(query.output.find("REG_SZ"), std::string::npos) << query.output;
  EXPECT_NE(query.output.find("8"), std::string::npos) << query.output;

  ASSERT_EQ(Reg(u"add", u"/v Combo1 /t REG_SZ /d 10 /f").exit_code, 0u);
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"0"), u"10");
}

TEST_F(RegistryBranch, AbsentKeysAndValuesOfAnotherTypeGiveTheDefault) {
  RegistrySettingsStore store(root_);
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"0"), u"0");  // no key
  store.SaveSetting(u"Korvane", u"Brintova", u"Other", u"x");
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"0"), u"0");  // no value
  ASSERT_EQ(Reg(u"add", u"/v Combo1 /t REG_DWORD /d 7 /f").exit_code, 0u);
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"0"), u"0");
  ASSERT_EQ(Reg(u"add", u"/v Combo1 /t REG_BINARY /d 3700 /f").exit_code, 0u);
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"-1"), u"-1");
  // Saving replaces a value of another type with text.
  store.SaveSetting(u"Korvane", u"Brintova", u"Combo1", u"3");
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Combo1", u"0"), u"3");
}

TEST_F(RegistryBranch, TextOutsideTheAnsiCodePageAndLongValuesRoundTrip) {
  RegistrySettingsStore store(root_);
  const std::u16string text = u"\u00dcberweisung J\u00e4n \u4e2d\u6587 \U0001F600";
  store.SaveSetting(u"K\u00f6rvane", u"\u4e2d", u"Schl\u00fcssel", text);
  EXPECT_EQ(store.GetSetting(u"K\u00f6rvane", u"\u4e2d", u"Schl\u00fcssel", u""), text);
  const std::u16string long_text(20'000, u'x');
  store.SaveSetting(u"Korvane", u"Brintova", u"Long", long_text);
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Long", u""), long_text);
  store.SaveSetting(u"Korvane", u"Brintova", u"Empty", u"");
  EXPECT_EQ(store.GetSetting(u"Korvane", u"Brintova", u"Empty", u"default"), u"");
}

TEST(RegistrySettingsStore, KeepsTheOperationWhereClassicProgramsKeepTheirSettings) {
  RegistrySettingsStore store;
  EXPECT_EQ(store.SectionKey(kSettingsApplication, kSettingsSection),
            u"Software\\VB and VBA Program Settings\\Korvane\\Brintova");
  store.SaveSetting(kSettingsApplication, kSettingsSection, kOperationKey, u"4");
  const wintest::ProcessResult query =
      RunProcess(RegExe() +
                 u" query \"HKCU\\Software\\VB and VBA Program Settings\\Korvane\\Brintova\" "
                 u"/v Combo1");
  EXPECT_EQ(query.exit_code, 0u) << query.output;
  EXPECT_NE(query.output.find("4"), std::string::npos) << query.output;
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Korvane\\Brintova",
                     L"Combo1");
}

}  // namespace
}  // namespace brintova

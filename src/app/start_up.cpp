// Start-up of the main window, step by step, and the procedures it shares.
#include "app/start_up.h"

#include <exception>

#include "app/error_report.h"
#include "app/operation_setting.h"
#include "app/vb_conversions.h"
#include "platform/failure.h"

namespace brintova {

namespace {
constexpr std::int32_t kFailureInvalidPropertyValue = 380;
}  // namespace

void CenterForm(Form& form) {
  form.SetLeft((form.ScreenWidth() - form.Width()) / 2);
  form.SetTop((form.ScreenHeight() - form.Height()) / 2);
}

bool FileExists(FileQueries& files, std::u16string_view path) {
  try {
    files.LastModified(path);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::u16string ProgramFile(Ports& ports, std::initializer_list<std::u16string_view> names) {
  std::u16string path = ports.shell.ProgramFolder();
  const char16_t separator = ports.files.Separator();
  for (const auto name : names) {
    path += separator;
    path += name;
  }
  return path;
}

void ApplySkin(Ports& ports) {
  const std::u16string skin = ProgramFile(ports, {kSkinFolder, kSkinFile});
  if (!FileExists(ports.files, skin)) return;
  Form& form = ports.form;
  form.SetBackColor(kColourButtonFace);
  for (Control* control : form.Controls()) {
    switch (control->Kind()) {
      case ControlKind::kOptionButton:
      case ControlKind::kCheckBox:
      case ControlKind::kFrame:
      case ControlKind::kLabel:
        control->SetBackColor(kColourButtonFace);
        break;
      default:
        break;
    }
  }
  SkinEngine& engine = form.SkinFramework1();
  engine.Method2(skin, u"");
  engine.SetProperty1(engine.Property1() | 1);
  engine.SetProperty5(true);
  engine.SetProperty10(true);
  engine.Method3(form.WindowHandle());
}

void CheckExcelInstalled(Ports& ports) {
  bool created = false;
  try {
    // Released at once: the check neither shows the instance nor asks it to quit.
    created = ports.server.CreateObject(kSpreadsheetProgId) != nullptr;
  } catch (const std::exception&) {
    created = false;
  }
  if (created) return;
  try {
    ports.dialogs.MessageBox(kExcelMissingMessage, MessageButtons::kOk, MessageIcon::kNone,
                             kApplicationTitle);
  } catch (const std::exception&) {
    // The check swallows every failure, the box's own included.
  }
}

std::int32_t SavedOperationIndex(std::u16string_view stored) {
  const auto refuse = [&](std::int32_t number) {
    return Failure(u"The saved operation \"" + std::u16string(stored) +
                       u"\" is not a number from -1 to 10; pick an operation in the list to "
                       u"replace it",
                   number);
  };
  std::int32_t index = 0;
  try {
    index = ConvertToInt16(stored);
  } catch (const Failure& failure) {
    throw refuse(failure.number());
  }
  if (index < -1 || index > static_cast<std::int32_t>(kOperationCaptions.size()) - 1) {
    throw refuse(kFailureInvalidPropertyValue);
  }
  return index;
}

void Form_Load(Ports& ports) {
  GuardedHandler guard(ports.dialogs, kFormLoadTag);
  Form& form = ports.form;
  guard.Step(100, [&] { CenterForm(form); });
  guard.Step(102, [&] { ApplySkin(ports); });
  std::u16string cursor;
  if (guard.Test(104, [&] {
        cursor = ProgramFile(ports, {kHandCursorFile});
        return FileExists(ports.files, cursor);
      })) {
    guard.Step(106, [&] { form.LoadMouseIcon(cursor); });
  }
  guard.Step(126, [&] { form.SetCaption(kApplicationTitle); });
  guard.Step(126, [&] { form.SetApplicationIcon(); });
  guard.Step(128, [&] { form.ListView1().AddColumnHeader(u"Excel File(s)"); });
  guard.Step(130, [&] { form.ListView1().SetColumnHeaderWidth(7000); });
  std::int32_t line = 132;
  for (const auto caption : kOperationCaptions) {
    guard.Step(line, [&] { form.Combo1().AddItem(caption); });
    line += 2;
  }
  guard.Step(154, [&] {
    const std::u16string stored =
        ports.settings.GetSetting(kSettingsApplication, kSettingsSection, kOperationKey, u"0");
    form.Combo1().SetListIndex(SavedOperationIndex(stored));
  });
  guard.Step(156, [&] { CheckExcelInstalled(ports); });
}

void Form_Unload(Ports& ports) { (void)ports; }

}  // namespace brintova

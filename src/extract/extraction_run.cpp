#include "extract/extraction_run.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/error_report.h"
#include "app/vb_conversions.h"
#include "extract/automation.h"
#include "extract/excel_extract.h"
#include "platform/failure.h"

namespace brintova {

namespace {

using PlainOperation = void (*)(Form&, Workbook*, Workbook*);
using TextOperation = void (*)(Form&, Workbook*, std::u16string, Workbook*);
using NumberOperation = void (*)(Form&, Workbook*, std::int16_t, Workbook*);

// One entry of the operation drop-down. Lines: the index test at `test_line`; an operation
// without a parameter is called at test_line + 2; one with a parameter asks at test_line + 2,
// checks the answer at test_line + 4 and is called at test_line + 6.
struct Operation {
  std::int32_t test_line;
  std::u16string_view prompt;  // empty: no parameter
  PlainOperation plain = nullptr;
  TextOperation text = nullptr;
  NumberOperation number = nullptr;
};

constexpr std::u16string_view kTextPrompt = u"Enter text or characters to extract: ";
constexpr std::u16string_view kPositionPrompt = u"Enter numeric position of character: ";

const std::array<Operation, 11> kOperations = {{
    {124, {}, ExcelExtract::ExtractAlphabet},
    {128, {}, ExcelExtract::ExtractNumbers},
    {132, {}, ExcelExtract::ExtractAlphanumeric},
    {136, {}, ExcelExtract::ExtractNonAlphanumeric},
    {140, kTextPrompt, nullptr, ExcelExtract::ExtractUserDefined},
    {148, kTextPrompt, nullptr, ExcelExtract::ExtractAfterText},
    {156, kTextPrompt, nullptr, ExcelExtract::ExtractBeforeText},
    {164, u"Enter number of first characters: ", nullptr, nullptr, ExcelExtract::ExtractFirstChars},
    {172, u"Enter number of last characters: ", nullptr, nullptr, ExcelExtract::ExtractLastChars},
    {180, kPositionPrompt, nullptr, nullptr, ExcelExtract::ExtractAfterPosition},
    {188, kPositionPrompt, nullptr, nullptr, ExcelExtract::ExtractBeforePosition},
}};

template <typename T>
T& Need(const std::shared_ptr<T>& object) {
  if (!object) {
    throw Failure(u"Object variable or With block variable not set", kFailureObjectNotSet);
  }
  return *object;
}

// One listed workbook's objects. They start unset for every workbook, so no step ever acts on
// an earlier workbook's instance or workbook.
struct WorkbookObjects {
  std::shared_ptr<Application> source_application;
  std::shared_ptr<Workbook> source_workbook;
  std::shared_ptr<Application> output_application;
  std::shared_ptr<Workbook> output_workbook;
};

void RunOperation(Ports& ports, GuardedHandler& guard, const Operation& operation,
                  WorkbookObjects& objects) {
  Form& form = ports.form;
  Workbook* source = objects.source_workbook.get();
  Workbook* output = objects.output_workbook.get();
  const std::int32_t line = operation.test_line;
  if (operation.plain != nullptr) {
    guard.Step(line + 2, [&] { operation.plain(form, source, output); });
    return;
  }
  const std::u16string answer = guard.Value(line + 2, std::u16string(), [&] {
    return ports.dialogs.InputBox(operation.prompt, kApplicationTitle, u"");
  });
  if (operation.text != nullptr) {
    if (guard.Test(line + 4, [&] { return !answer.empty(); })) {
      guard.Step(line + 6, [&] { operation.text(form, source, answer, output); });
    }
    return;
  }
  if (guard.Test(line + 4, [&] { return LeadingNumber(answer) > 0; })) {
    guard.Step(line + 6, [&] { operation.number(form, source, ConvertToInt16(answer), output); });
  }
}

// Steps 112 to 204 of one workbook, once it has been opened.
void ProcessOpenedWorkbook(Ports& ports, GuardedHandler& guard, WorkbookObjects& objects) {
  Form& form = ports.form;
  guard.Step(112, [&] { form.SetMousePointer(kPointerBusy); });
  guard.Step(114, [&] {
    WorkbookCollection& books = Need(objects.source_application).Workbooks();
    objects.source_workbook = books.Item(books.Count());
  });
  guard.Step(116, [&] { form.SetMousePointer(kPointerBusy); });
  if (guard.Test(118, [&] { return form.Option2().Value(); })) {
    guard.Step(120,
               [&] { objects.output_application = ports.server.CreateObject(kSpreadsheetProgId); });
    guard.Step(
        122, [&] { objects.output_workbook = Need(objects.output_application).Workbooks().Add(); });
  }

  // The drop-down's index is read afresh at each test; the first equal index wins.
  for (std::int32_t index = 0; index < static_cast<std::int32_t>(kOperations.size()); ++index) {
    const Operation& operation = kOperations[index];
    if (guard.Test(operation.test_line, [&] { return form.Combo1().ListIndex() == index; })) {
      RunOperation(ports, guard, operation, objects);
      break;
    }
  }

  if (guard.Test(196, [&] { return form.Option1().Value(); })) {
    guard.Step(198, [&] { Need(objects.source_application).SetVisible(true); });
  } else if (guard.Test(200, [&] { return form.Option2().Value(); })) {
    guard.Step(202, [&] { Need(objects.output_application).SetVisible(true); });
    guard.Step(204, [&] { Need(objects.source_application).Quit(); });
  }
}

}  // namespace

void PushButton7_Click(Ports& ports) {
  Form& form = ports.form;
  GuardedHandler guard(ports.dialogs, kPushButton7Tag);

  // A failing test here lets the run go on.
  if (guard.Value(100, false, [&] { return form.ListView1().Count() == 0; })) return;
  if (guard.Value(102, false,
                  [&] { return ExcelExtract::ExcelOpenWarning(ports.server, ports.dialogs); })) {
    return;
  }

  // 32-bit counters: a list of more than 32,767 workbooks runs to its end.
  std::int32_t item_count = 0;
  std::int32_t item_index = 0;
  guard.Step(104, [&] { item_count = form.ListView1().Count(); });
  guard.Step(104, [&] { item_index = 1; });

  while (item_index <= item_count) {
    std::u16string path;
    WorkbookObjects objects;
    guard.Step(106, [&] { path = form.ListView1().Item(item_index); });
    guard.Step(208, [&] {
      const std::int32_t count = form.ListView1().Count();
      if (count == 0) throw Failure(u"Division by zero", 11);
      const double share = static_cast<double>(item_index) / static_cast<double>(count) * 100.0;
      form.ProgressBar1().SetValue(static_cast<std::int32_t>(std::floor(share)));
    });
    guard.Step(108, [&] { form.SetMousePointer(kPointerBusy); });
    // A workbook that does not open is reported here and skipped; the run goes on with the next.
    if (guard.Step(110, [&] {
          objects.source_application = ExcelExtract::OpenWorkbookInNewExcel(ports.server, path);
        })) {
      ProcessOpenedWorkbook(ports, guard, objects);
    }
    guard.Step(210, [&] { ++item_index; });
  }

  guard.Step(218, [&] {
    ports.dialogs.MessageBox(u"Done.", MessageButtons::kOk, MessageIcon::kNone, kApplicationTitle);
  });
  guard.Step(218, [&] { form.ProgressBar1().SetValue(0); });
  guard.Step(218, [&] { form.SetMousePointer(kPointerDefault); });
}

}  // namespace brintova

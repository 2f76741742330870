// The Windows program as a user runs it, with the stand-in spreadsheet application registered
// as "Excel.Application": it starts without a warning, lists the samples, runs operation 2 in
// each output mode, and the results the application then shows are the ones the embedded
// engine's own run of the same samples gives.
// Arguments: the program, the stand-in, its fixture folder, the expected results.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/com/com_server.h"
#include "platform/com/message_filter.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/processes.h"

namespace brintova {
namespace {

using win32::FromWide;
using win32::Wide;

std::u16string g_program;
std::u16string g_standin;
std::u16string g_fixtures;
std::u16string g_expected;

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr DWORD kRunTimeoutMs = 600'000;

// Address -> displayed text of every non-empty cell of a results sheet, escaped as the
// command line's "text" escapes it.
using Cells = std::map<std::string, std::string>;

// The expected results sheet of each sample, by file name.
std::map<std::string, Cells> ReadExpected() {
  std::ifstream file(Wide(g_expected).c_str(), std::ios::binary);
  std::map<std::string, Cells> books;
  Cells* book = nullptr;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    if (line.rfind("workbook ", 0) == 0) {
      book = &books[line.substr(9)];
    } else if (book != nullptr) {
      const std::size_t tab = line.find('\t');
      (*book)[line.substr(0, tab)] = line.substr(tab + 1);
    }
  }
  return books;
}

std::string Address(CellPosition cell) {
  std::string letters;
  for (std::int32_t column = cell.column; column > 0; column = (column - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  }
  return letters + std::to_string(cell.row);
}

std::string Escaped(const std::u16string& text) {
  std::string out;
  for (const char c : ToUtf8(text)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// The non-empty cells of `sheet`, found as a run finds them.
Cells NonEmptyCells(Sheet& sheet) {
  Cells cells;
  const CellPosition end = sheet.UsedRangeEnd();
  CellPosition from{1, 1};
  while (const auto next = sheet.NextCellWithContent(from, end)) {
    const std::u16string text = sheet.CellText(*next);
    if (!text.empty()) cells[Address(*next)] = Escaped(text);
    from = next->column < end.column ? CellPosition{next->row, next->column + 1}
                                     : CellPosition{next->row + 1, 1};
    if (from.row > end.row) break;
  }
  return cells;
}

// The stand-in registered as the spreadsheet application while this lives; a CLSID of its
// own, so the stand-in of the automation tests stays registered beside it.
class SpreadsheetApplicationRegistered {
 public:
  SpreadsheetApplicationRegistered() {
    const auto result = wintest::RunProcess(u"\"" + g_standin +
                                            u"\" /regserver Excel.Application \"" + g_fixtures +
                                            u"\"");
    registered_ = result.exit_code == 0;
  }
  ~SpreadsheetApplicationRegistered() {
    wintest::RunProcess(u"\"" + g_standin + u"\" /unregserver Excel.Application");
  }
  bool registered() const { return registered_; }

 private:
  bool registered_ = false;
};

// brintova.exe started as from the Start menu; closed (or ended) when this goes.
class Program {
 public:
  Program() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command = L"\"" + Wide(g_program) + L"\"";
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_) != 0;
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, 10'000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  bool started() const { return started_; }
  DWORD id() const { return process_.dwProcessId; }

  // Closes the window as the user does and waits for the program's end: its exit status.
  DWORD Close(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 30'000) != WAIT_OBJECT_0) return ~DWORD{0};
    DWORD status = 1;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
  }

  // A box of the program, as soon as one shows; null when none does in time.
  HWND WaitForBox(DWORD timeout_ms) const {
    return wintest::WaitForWindow(u"Brintova", u"#32770", timeout_ms, id());
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

// Presses a button of the main window as a click does.
void Press(HWND window, std::u16string_view caption) {
  const HWND button = wintest::ChildWithText(window, u"Button", caption);
  ASSERT_NE(button, nullptr) << ToUtf8(caption);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void Answer(HWND box, int button) {
  wintest::Click(box, button);
  for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(20);
}

// Every instance the run left visible: the workbook it shows first and the cells of that
// workbook's first sheet. Each is told to quit once read.
std::vector<std::pair<std::u16string, Cells>> TakeVisibleResults() {
  std::vector<std::pair<std::u16string, Cells>> results;
  com::ComSpreadsheetServer server;
  for (int i = 0; i < 20; ++i) {
    std::shared_ptr<Application> application;
    try {
      application = server.GetObject(kSpreadsheetProgId);
    } catch (const Failure&) {
      break;
    }
    WorkbookCollection& books = application->Workbooks();
    EXPECT_EQ(books.Count(), 1);
    const std::shared_ptr<Workbook> book = books.Item(1);
    results.emplace_back(book->Name(), NonEmptyCells(*book->Sheets().Item(1)));
    application->Quit();
  }
  return results;
}

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registration_.registered()) << "the stand-in could not be registered";
    expected_ = ReadExpected();
    ASSERT_EQ(expected_.size(), 5u) << ToUtf8(g_expected);
    ASSERT_TRUE(TakeVisibleResults().empty()) << "an instance was left from before";
  }
  // A run that failed half way leaves no instance for the tests after this one.
  void TearDown() override { TakeVisibleResults(); }

  // Runs the listed workbooks in the mode of the option button `mode` and answers "Done.".
  void RunIn(HWND window, std::u16string_view mode) {
    const HWND sheet = wintest::ChildWithText(window, u"Button", u"Put results in new sheet");
    const HWND book = wintest::ChildWithText(window, u"Button", u"Put results in new workbook");
    ASSERT_TRUE(sheet != nullptr && book != nullptr);
    const bool in_sheet = mode == u"Put results in new sheet";
    SendMessageW(sheet, BM_SETCHECK, in_sheet ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(book, BM_SETCHECK, in_sheet ? BST_UNCHECKED : BST_CHECKED, 0);
    Press(window, u"Start Extracting");
    // Any box before "Done." is a failure the run reported; answer it and go on.
    for (int box_count = 0; box_count < 20; ++box_count) {
      const HWND box = program_.WaitForBox(kRunTimeoutMs);
      ASSERT_NE(box, nullptr) << "the run did not finish";
      const std::u16string text = wintest::WindowText(GetDlgItem(box, kMessageBoxTextId));
      Answer(box, IDOK);
      if (text == u"Done.") return;
      ADD_FAILURE() << "box during the run: " << ToUtf8(text);
    }
  }

  SpreadsheetApplicationRegistered registration_;
  std::map<std::string, Cells> expected_;
  Program program_;
};

TEST_F(ProgramRun, ListsTheSamplesAndGivesTheEnginesResultsInBothOutputModes) {
  ASSERT_TRUE(program_.started());
  // With the application there, start-up asks nothing: the window is the first to show.
  HWND window = nullptr;
  for (int i = 0; i < 3000 && window == nullptr; ++i) {
    ASSERT_EQ(program_.WaitForBox(0), nullptr) << "a box at start-up";
    window = wintest::WaitForWindow(u"Brintova", u"BrintovaForm1", 0, program_.id());
    if (window == nullptr) Sleep(20);
  }
  ASSERT_NE(window, nullptr) << "the program showed no window";

  // "Load Sample/Example Files" lists the samples and offers to open their folder: no.
  Press(window, u"Load Sample/Example Files");
  const HWND question = program_.WaitForBox(30'000);
  ASSERT_NE(question, nullptr);
  Answer(question, IDNO);
  const HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 5);

  // Operation 2: letters and digits only.
  const HWND combo = FindWindowExW(window, nullptr, WC_COMBOBOXW, nullptr);
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));

  // New sheet: each sample stays open in an instance of its own, the results sheet in front.
  RunIn(window, u"Put results in new sheet");
  std::map<std::string, Cells> shown;
  for (auto& [name, cells] : TakeVisibleResults()) shown[ToUtf8(name)] = std::move(cells);
  EXPECT_EQ(shown.size(), expected_.size());
  for (const auto& [name, cells] : expected_) {
    const auto it = shown.find(name);
    ASSERT_NE(it, shown.end()) << "no instance shows " << name;
    EXPECT_EQ(it->second, cells) << name;
  }

  // New workbook: one new workbook per sample, each in its instance; the sources' instances
  // have ended. The new workbooks have no names to tell them apart: compare as a whole.
  RunIn(window, u"Put results in new workbook");
  std::vector<Cells> made;
  for (auto& [name, cells] : TakeVisibleResults()) made.push_back(std::move(cells));
  std::vector<Cells> wanted;
  for (const auto& [name, cells] : expected_) wanted.push_back(cells);
  std::sort(made.begin(), made.end());
  std::sort(wanted.begin(), wanted.end());
  EXPECT_EQ(made, wanted);

  EXPECT_EQ(program_.Close(window), 0u);
}

}  // namespace
}  // namespace brintova

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 5) {
    std::fprintf(stderr, "usage: program_tests PROGRAM STANDIN FIXTURE_FOLDER EXPECTED_RESULTS\n");
    return 2;
  }
  const auto full = [](const char* path) {
    wchar_t buffer[MAX_PATH] = {};
    GetFullPathNameW(brintova::win32::Wide(brintova::ToUtf16(path)).c_str(), MAX_PATH, buffer,
                     nullptr);
    return brintova::win32::FromWide(buffer);
  };
  brintova::g_program = full(argv[1]);
  brintova::g_standin = full(argv[2]);
  brintova::g_fixtures = brintova::ToUtf16(argv[3]);
  brintova::g_expected = full(argv[4]);
  brintova::com::ComApartment apartment;
  return RUN_ALL_TESTS();
}

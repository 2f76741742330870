// Everything a test of the extraction run needs: the window, the dialogs, the fake server seen
// through a recording wrapper, and the port bundle the handler takes.
#pragma once

#include <string>
#include <vector>

#include "fakes/fake_dialogs.h"
#include "fakes/fake_server.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_window.h"
#include "fakes/recording_server.h"
#include "platform/failure.h"
#include "platform/ports.h"

namespace brintova::testing {

// The run never touches files or the shell; these fail loudly if it does.
class UnusedFileQueries : public FileQueries {
 public:
  char16_t Separator() override { throw Failure(u"file queries are not used by the run"); }
  std::vector<std::u16string> ListDirectory(std::u16string_view, std::u16string_view,
                                            std::uint32_t) override {
    throw Failure(u"file queries are not used by the run");
  }
  std::uint32_t GetAttributes(std::u16string_view) override {
    throw Failure(u"file queries are not used by the run");
  }
  std::int64_t LastModified(std::u16string_view) override {
    throw Failure(u"file queries are not used by the run");
  }
};

class UnusedShell : public Shell {
 public:
  std::u16string ProgramFolder() override { throw Failure(u"the shell is not used by the run"); }
  std::u16string BrowseForFolder(std::u16string_view) override {
    throw Failure(u"the shell is not used by the run");
  }
  void ShellExecute(std::u16string_view, std::u16string_view) override {
    throw Failure(u"the shell is not used by the run");
  }
};

struct RunFixture {
  FakeForm form;
  ScriptedDialogs dialogs;
  MemorySettings settings;
  UnusedFileQueries files;
  UnusedShell shell;
  FakeServer server;
  RecordingServer recording{server};
  Ports ports{form, dialogs, settings, files, shell, recording};

  RunFixture() { NewSheetMode(); }

  void NewSheetMode() {
    form.option1.value = true;
    form.option2.value = false;
  }
  void NewWorkbookMode() {
    form.option1.value = false;
    form.option2.value = true;
  }
  void List(const std::vector<std::u16string>& paths) {
    for (const auto& path : paths) form.list_view.rows.push_back(path);
  }
  void Choose(std::int32_t operation) { form.combo.list_index = operation; }

  // The texts of the "Application Error" boxes, in order.
  std::vector<std::u16string> ErrorBoxes() const {
    std::vector<std::u16string> texts;
    for (const auto& box : dialogs.boxes) {
      if (box.title == u"Application Error") texts.push_back(box.text);
    }
    return texts;
  }
  // The line numbers the error boxes report, in order.
  std::vector<int> ErrorLines() const {
    std::vector<int> lines;
    for (const auto& text : ErrorBoxes()) {
      const auto at = text.rfind(u"at line ");
      int line = 0;
      for (auto i = at + 8; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        line = line * 10 + (text[i] - u'0');
      }
      lines.push_back(line);
    }
    return lines;
  }
};

}  // namespace brintova::testing

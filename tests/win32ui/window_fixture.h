// The Windows program's window as the executable builds it, for tests: the real window and
// adapters, with boxes answered from a script and the window shown once start-up has run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_dialogs.h"
#include "platform/win32/windows_api.h"
#include "win32ui/desktop.h"

namespace brintova::win32ui {

// Dialogs that also note whether the main window was visible when each box showed.
class WatchingDialogs : public testing::ScriptedDialogs {
 public:
  HWND window = nullptr;
  std::vector<bool> window_visible;

  MessageResult MessageBox(std::u16string_view text, MessageButtons buttons, MessageIcon icon,
                           std::u16string_view title) override {
    window_visible.push_back(window != nullptr && IsWindowVisible(window));
    return ScriptedDialogs::MessageBox(text, buttons, icon, title);
  }
};

class WindowTest : public ::testing::Test {
 public:
  WindowTest() { dialogs.window = desktop.window().hwnd(); }

  // Removes the remembered operation, runs start-up and shows the window.
  void Start();
  // Lets the window handle what was posted to it.
  void Pump() { desktop.window().DoEvents(); }

  HWND Control(std::u16string_view name) { return desktop.window().ControlWindow(name); }
  // The rows as the list control shows them.
  std::vector<std::u16string> ShownRows();
  // The operation remembered in the registry; "(absent)" when there is none.
  static std::u16string StoredOperation();
  static void ForgetOperation();

  WatchingDialogs dialogs;
  Win32Desktop desktop{&dialogs};
};

// A shell drop of `paths`, built as the shell builds one (wide names, NUL-separated).
HDROP MakeDrop(const std::vector<std::u16string>& paths);

}  // namespace brintova::win32ui

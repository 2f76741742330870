// Driving windows from a test: find a top-level window by title, read texts, and answer a
// modal box from a second thread while the test's own thread waits inside the box.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/win32/windows_api.h"

namespace brintova::wintest {

// A visible top-level window of `class_name` (any class when empty) titled `title`, of process
// `process_id` (any when 0), waited for up to `timeout_ms`; null when none showed.
HWND WaitForWindow(std::u16string_view title, std::u16string_view class_name = u"#32770",
                   std::uint32_t timeout_ms = 15'000, DWORD process_id = 0);

std::u16string WindowText(HWND window);
std::u16string ClassName(HWND window);
// The first child of `parent` of class `class_name` whose text is `text`; null when none.
HWND ChildWithText(HWND parent, std::u16string_view class_name, std::u16string_view text);

// The shell's folder browser shown by this process (its caption is the system's, so it is
// known by the tree it holds), waited for up to 15 seconds; null when none showed.
HWND WaitForFolderBrowser();

// Posts the click of the button numbered `id` to a dialog or message box.
void Click(HWND dialog, int id);

// Waits on a thread of its own for this process's box titled `title`, reads its text (the message
// of a message box, or the prompt of the input box) and runs `action` on it. The destructor waits
// for the thread; found() tells whether the box showed.
class BoxAnswerer {
 public:
  BoxAnswerer(std::u16string title, std::function<void(HWND box)> action,
              std::u16string_view class_name = u"#32770");
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Valid once the thread is done: after Join() or the destructor.
  void Join();
  bool found() const { return found_; }
  const std::u16string& text() const { return text_; }

 private:
  std::atomic<bool> found_{false};
  std::u16string text_;
  std::thread thread_;
};

}  // namespace brintova::wintest

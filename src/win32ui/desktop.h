// The Windows program put together: the Win32 window, the Win32 adapters of the ports, the
// spreadsheet server (automation_server.h) and the window's events wired to their handlers.
// The executable builds one; so do the window tests.
#pragma once

#include <memory>

#include "platform/dialogs.h"
#include "platform/ports.h"
#include "win32ui/main_window.h"

namespace brintova::win32ui {

class Win32Desktop {
 public:
  // `dialogs`, when given, answers the message and input boxes instead of the system's modal
  // boxes; it must outlive the desktop.
  explicit Win32Desktop(Dialogs* dialogs = nullptr);
  ~Win32Desktop();
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  Win32MainWindow& window();
  Ports& ports();

  // Start-up, then the window shows: any box from start-up appears before the window does.
  void Start();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace brintova::win32ui

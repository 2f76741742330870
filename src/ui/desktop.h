// The desktop program put together: the main window, the adapters of the ports over Qt and
// POSIX, the spreadsheet server with the window that shows its visible instances, and the
// window's events wired to their handlers. The executable builds one; so do the window tests.
#pragma once

#include <memory>

#include "platform/dialogs.h"
#include "platform/ports.h"
#include "ui/main_window.h"

namespace brintova {

class ResultsWindow;

class Desktop {
 public:
  // `dialogs`, when given, answers the message and input boxes instead of Qt's modal boxes; it
  // must outlive the desktop.
  explicit Desktop(Dialogs* dialogs = nullptr);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  MainWindow& window();
  Ports& ports();
  // Where the instances a run makes visible appear; null in a build without the embedded
  // spreadsheet engine, whose server then always fails to start.
  ResultsWindow* results();

  // Start-up, then the window shows: any box from start-up appears before the window does.
  void Start();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace brintova

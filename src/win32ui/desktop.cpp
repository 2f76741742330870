// The parts of the Windows program, in the order they depend on each other.
#include "win32ui/desktop.h"

#include "app/start_up.h"
#include "platform/win32/automation_server.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_queries.h"
#include "platform/win32/win32_shell.h"
#include "wiring/wiring.h"

namespace brintova::win32ui {

struct Win32Desktop::Parts {
  explicit Parts(Dialogs* chosen_dialogs)
      : system_dialogs([this] { return window.hwnd(); }),
        shell([this] { return window.hwnd(); }),
        server(MakeAutomationServer()),
        ports{window,   chosen_dialogs != nullptr ? *chosen_dialogs : system_dialogs,
              settings, files,
              shell,    *server} {
    WireHandlers(window.events(), ports);
  }

  Win32MainWindow window;
  Win32Dialogs system_dialogs;
  RegistrySettingsStore settings;
  Win32FileQueries files;
  Win32Shell shell;
  std::unique_ptr<SpreadsheetServer> server;
  Ports ports;
};

Win32Desktop::Win32Desktop(Dialogs* dialogs) : parts_(std::make_unique<Parts>(dialogs)) {}
Win32Desktop::~Win32Desktop() = default;

Win32MainWindow& Win32Desktop::window() { return parts_->window; }
Ports& Win32Desktop::ports() { return parts_->ports; }

void Win32Desktop::Start() {
  Form_Load(parts_->ports);
  parts_->window.Show();
}

}  // namespace brintova::win32ui

// The parts of the desktop program, in the order they depend on each other.
#include "ui/desktop.h"

#include "app/start_up.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "wiring/wiring.h"
#ifdef BRINTOVA_HAVE_ENGINE
#include "engine/server/embedded_server.h"
#include "ui/results_window.h"
#else
#include "platform/qt/unavailable_server.h"
#endif

namespace brintova {

struct Desktop::Parts {
  explicit Parts(Dialogs* chosen_dialogs)
      : qt_dialogs(&window),
        shell(&window),
        ports{window,   chosen_dialogs != nullptr ? *chosen_dialogs : qt_dialogs,
              settings, files,
              shell,    server} {
#ifdef BRINTOVA_HAVE_ENGINE
    AttachResultsWindow(server, results);
    // What a workbook's reader left out (rows past the grid of a text file) is shown as the
    // application shows it on opening, and the run goes on with what was read.
    server.SetOpenFailureReporter([this](std::u16string_view text) {
      ports.dialogs.MessageBox(text, MessageButtons::kOk, MessageIcon::kExclamation,
                               kApplicationTitle);
    });
#endif
    WireHandlers(window.events(), ports);
    window.SetEscapeReport([this](std::u16string_view text) {
      ports.dialogs.MessageBox(text, MessageButtons::kOk, MessageIcon::kExclamation,
                               kApplicationTitle);
    });
  }

  MainWindow window;
  QtDialogs qt_dialogs;
  QtSettingsStore settings;
  QtShell shell;
  PosixFileQueries files;
#ifdef BRINTOVA_HAVE_ENGINE
  engine::EmbeddedServer server;
  // A top-level window of its own, so it outlives the main window when the user closes that
  // first; the program ends when the last of them closes.
  ResultsWindow results;
#else
  UnavailableServer server;
#endif
  Ports ports;
};

Desktop::Desktop(Dialogs* dialogs) : parts_(std::make_unique<Parts>(dialogs)) {}
Desktop::~Desktop() = default;

MainWindow& Desktop::window() { return parts_->window; }
Ports& Desktop::ports() { return parts_->ports; }

ResultsWindow* Desktop::results() {
#ifdef BRINTOVA_HAVE_ENGINE
  return &parts_->results;
#else
  return nullptr;
#endif
}

void Desktop::Start() {
  Form_Load(parts_->ports);
  parts_->window.show();
}

}  // namespace brintova

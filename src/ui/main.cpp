// brintova: the desktop program. Builds the adapters of the ports, wires the main window's
// events to their handlers, runs start-up, then shows the window.
#include <QApplication>
#include <memory>

#include "app/start_up.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "ui/main_window.h"
#include "ui/wiring.h"
#ifdef BRINTOVA_HAVE_ENGINE
#include "engine/server/embedded_server.h"
#include "ui/results_window.h"
#else
#include "platform/qt/unavailable_server.h"
#endif

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brintova"));
  QApplication::setApplicationDisplayName(QStringLiteral("Brintova"));
  // The program ends when its last window closes: the main window, or later a results window
  // the user keeps open after closing the main one.
  QApplication::setQuitOnLastWindowClosed(true);

  brintova::MainWindow window;
  brintova::QtDialogs dialogs(&window);
  brintova::QtSettingsStore settings;
  brintova::QtShell shell(&window);
  brintova::PosixFileQueries files;
#ifdef BRINTOVA_HAVE_ENGINE
  brintova::engine::EmbeddedServer server;
  // The instances a run makes visible appear here; a top-level window, so it outlives the main
  // window when the user closes that first.
  brintova::ResultsWindow results;
  brintova::AttachResultsWindow(server, results);
#else
  brintova::UnavailableServer server;
#endif
  brintova::Ports ports{window, dialogs, settings, files, shell, server};
  brintova::WireHandlers(window, ports);

  // Start-up runs before the window shows, so its boxes appear first.
  brintova::Form_Load(ports);
  window.show();
  return QApplication::exec();
}

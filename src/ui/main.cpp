// brintova: the desktop program. Puts the window, the ports and the handlers together, runs
// start-up, shows the window and waits for events.
#include <QApplication>

#include "ui/desktop.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brintova"));
  QApplication::setApplicationDisplayName(QStringLiteral("Brintova"));
  // The program ends when its last window closes: the main window, or a results window the
  // user keeps open after closing the main one.
  QApplication::setQuitOnLastWindowClosed(true);

  brintova::Desktop desktop;
  desktop.Start();
  return QApplication::exec();
}

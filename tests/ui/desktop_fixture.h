// The desktop program as the executable builds it, with scripted message and input boxes and
// its settings file in a fresh configuration folder, so every test starts as a new user.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "fakes/fake_dialogs.h"
#include "ui/desktop.h"

namespace brintova::testing {

// Points XDG_CONFIG_HOME at a new empty folder for the fixture's lifetime.
class FreshConfigFolder {
 public:
  FreshConfigFolder()
      : previous_(qgetenv("XDG_CONFIG_HOME")), had_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    EXPECT_TRUE(folder_.isValid());
    qputenv("XDG_CONFIG_HOME", folder_.path().toLocal8Bit());
  }
  ~FreshConfigFolder() {
    if (had_) {
      qputenv("XDG_CONFIG_HOME", previous_);
    } else {
      qunsetenv("XDG_CONFIG_HOME");
    }
  }
  FreshConfigFolder(const FreshConfigFolder&) = delete;
  FreshConfigFolder& operator=(const FreshConfigFolder&) = delete;

  QString SettingsFile() const { return folder_.path() + "/Korvane.ini"; }
  // The stored text of a setting of the program's section; an invalid QVariant when absent.
  QVariant Stored(const QString& key) const {
    return QSettings(SettingsFile(), QSettings::IniFormat).value("Brintova/" + key);
  }

 private:
  QTemporaryDir folder_;
  QByteArray previous_;
  bool had_;
};

struct DesktopFixture : ::testing::Test {
  FreshConfigFolder config;
  ScriptedDialogs dialogs;
  std::unique_ptr<Desktop> desktop = std::make_unique<Desktop>(&dialogs);

  MainWindow& window() { return desktop->window(); }
};

}  // namespace brintova::testing

// Every port a window handler may use, passed to each handler as one bundle.
#pragma once

#include "platform/dialogs.h"
#include "platform/file_queries.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/spreadsheet_server.h"
#include "platform/window.h"

namespace brintova {

struct Ports {
  Form& form;
  Dialogs& dialogs;
  SettingsStore& settings;
  FileQueries& files;
  Shell& shell;
  SpreadsheetServer& server;
};

}  // namespace brintova

// The workbook list of a command line.
#include "cli/workbook_list.h"

#include "app/error_report.h"
#include "cli/headless_ports.h"
#include "engine/server/embedded_server.h"
#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "platform/failure.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"

namespace brintova::cli {

std::vector<std::u16string> ListWorkbooks(const std::vector<std::string>& inputs, std::ostream& err,
                                          int& failures) {
  HeadlessForm form;
  HeadlessDialogs dialogs(std::nullopt, [&](std::u16string_view text) {
    ++failures;
    err << "brintova-cli: Application Error:\n" << TerminalText(text) << "\n\n";
  });
  TransientSettings settings;
  PosixFileQueries files;
  HeadlessShell shell(u"");
  engine::EmbeddedServer unused_server;
  Ports ports{form, dialogs, settings, files, shell, unused_server};
  GuardedHandler guard(dialogs, kListView1OLEDragDropTag);
  for (const std::string& input : inputs) {
    std::u16string path = TextFromNativePath(input);
    bool folder = false;
    try {
      folder = (files.GetAttributes(path) & file_attribute::kDirectory) != 0;
    } catch (const Failure&) {
      // Missing or unreadable: listed as a file, and the run reports it.
    }
    if (!folder) {
      form.ListView1().Add(path);
      continue;
    }
    while (path.size() > 1 && path.back() == u'/') path.pop_back();
    AddFolder::AddFolderTree(ports, guard, path, u"*.*");
  }
  return form.ListView1().rows();
}

}  // namespace brintova::cli

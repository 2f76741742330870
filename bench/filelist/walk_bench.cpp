// Times the folder scan ("Add All" with "*") over a generated tree: `folders` folders of
// `files` files each, made under /tmp at run time and removed afterwards. The rows go to a
// plain vector, or with --qt to the window's own list view (shown, offscreen unless a display
// platform is chosen) with the event pump running as in the program.
// Usage: filelist_bench [--qt] [folders=1000] [files-per-folder=100]
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifdef BRINTOVA_BENCH_QT
#include <QApplication>
#include <QCoreApplication>

#include "ui/file_list_view.h"
#endif

#include "filelist/add_folder.h"
#include "platform/posix/posix_file_queries.h"
#include "platform/text.h"

namespace brintova {
namespace {

class VectorList : public ListView {
 public:
  std::vector<std::u16string> rows;
  void AddColumnHeader(std::u16string_view) override {}
  void SetColumnHeaderWidth(std::int32_t) override {}
  void Add(std::u16string_view text) override { rows.emplace_back(text); }
  std::int32_t Count() override { return static_cast<std::int32_t>(rows.size()); }
  std::u16string Item(std::int32_t index) override { return rows.at(index - 1); }
  std::int32_t SelectedIndex() override { throw Failure(u"No row selected", 91); }
  void Remove(std::int32_t index) override { rows.erase(rows.begin() + (index - 1)); }
  void Clear() override { rows.clear(); }
};

// Only the list, the pointer and the event pump are used by the scan.
class BenchForm : public Form {
 public:
  explicit BenchForm(ListView& rows) : list(rows) {}
  ListView& list;
  std::function<void()> pump;  // runs pending window events, when there is a window
  long long events = 0;
  std::int32_t pointer = kPointerDefault;

  std::int32_t Width() override { return 0; }
  std::int32_t Height() override { return 0; }
  void SetLeft(std::int32_t) override {}
  void SetTop(std::int32_t) override {}
  std::int32_t ScreenWidth() override { return 0; }
  std::int32_t ScreenHeight() override { return 0; }
  void SetCaption(std::u16string_view) override {}
  void SetApplicationIcon() override {}
  void SetBackColor(std::uint32_t) override {}
  std::int64_t WindowHandle() override { return 0; }
  std::int32_t MousePointer() override { return pointer; }
  void SetMousePointer(std::int32_t state) override { pointer = state; }
  void LoadMouseIcon(std::u16string_view) override {}
  void DoEvents() override {
    ++events;
    if (pump) pump();
  }
  std::vector<Control*> Controls() override { return {}; }
  ListView& ListView1() override { return list; }
  ComboBox& Combo1() override { throw Failure(u"not in the benchmark"); }
  OptionButton& Option1() override { throw Failure(u"not in the benchmark"); }
  OptionButton& Option2() override { throw Failure(u"not in the benchmark"); }
  ProgressBar& ProgressBar1() override { throw Failure(u"not in the benchmark"); }
  FileDialog& CommonDialog1() override { throw Failure(u"not in the benchmark"); }
  SkinEngine& SkinFramework1() override { throw Failure(u"not in the benchmark"); }
};

class AnswerDialogs : public Dialogs {
 public:
  int boxes = 0;
  MessageResult MessageBox(std::u16string_view, MessageButtons, MessageIcon,
                           std::u16string_view) override {
    ++boxes;
    return MessageResult::kOk;
  }
  std::u16string InputBox(std::u16string_view, std::u16string_view, std::u16string_view) override {
    return u"*";
  }
};

class FixedShell : public Shell {
 public:
  std::u16string folder;
  std::u16string ProgramFolder() override { return u"/nonexistent"; }
  std::u16string BrowseForFolder(std::u16string_view) override { return folder; }
  void ShellExecute(std::u16string_view, std::u16string_view) override {}
};

// The scan uses no settings and no spreadsheet server; the bundle still wants them.
class NoSettings : public SettingsStore {
 public:
  std::u16string GetSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                            std::u16string_view default_value) override {
    return std::u16string(default_value);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}
};

class NoServer : public SpreadsheetServer {
 public:
  std::shared_ptr<Application> CreateObject(std::u16string_view) override {
    throw Failure(u"not in the benchmark");
  }
  std::shared_ptr<Application> GetObject(std::u16string_view) override {
    throw Failure(u"not in the benchmark");
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Ten top folders, the rest spread evenly below them; every folder holds `files` files.
void MakeTree(const std::string& root, int folders, int files) {
  const int top = folders < 10 ? folders : 10;
  std::vector<std::string> made;
  for (int t = 0; t < top; ++t) made.push_back(root + "/Region " + std::to_string(t));
  for (int f = top; f < folders; ++f) {
    made.push_back(made[f % top] + "/Branch " + std::to_string(f));
  }
  for (const std::string& folder : made) {
    mkdir(folder.c_str(), 0755);
    for (int i = 0; i < files; ++i) {
      const std::string path = folder + "/Book " + std::to_string(i) + ".xlsx";
      const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd >= 0) close(fd);
    }
  }
}

}  // namespace
}  // namespace brintova

int main(int argc, char** argv) {
  using namespace brintova;
  bool qt = false;
  std::vector<int> numbers;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--qt") == 0) {
      qt = true;
    } else {
      numbers.push_back(std::atoi(argv[i]));
    }
  }
  const int folders = numbers.size() > 0 ? numbers[0] : 1000;
  const int files = numbers.size() > 1 ? numbers[1] : 100;
  char pattern[] = "/tmp/brintova-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string root = pattern;

  auto start = std::chrono::steady_clock::now();
  MakeTree(root, folders, files);
  std::printf("generate  %d folders x %d files: %.2f s\n", folders, files, Seconds(start));

  VectorList vector_list;
  ListView* rows = &vector_list;
#ifdef BRINTOVA_BENCH_QT
  if (qt && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  std::unique_ptr<QApplication> application;
  std::unique_ptr<FileListView> view;
  if (qt) {
    application = std::make_unique<QApplication>(argc, argv);
    view = std::make_unique<FileListView>();
    view->AddColumnHeader(u"Excel File(s)");
    view->resize(520, 105);
    view->show();
    rows = view.get();
  }
#else
  if (qt) {
    std::fprintf(stderr, "--qt needs a build with the desktop program (BRINTOVA_GUI=ON)\n");
    return 2;
  }
#endif
  BenchForm form(*rows);
#ifdef BRINTOVA_BENCH_QT
  if (qt) form.pump = [] { QCoreApplication::processEvents(); };
#endif
  AnswerDialogs dialogs;
  PosixFileQueries queries;
  FixedShell shell;
  shell.folder = TextFromNativePath(root);
  NoSettings settings;
  NoServer server;
  Ports ports{form, dialogs, settings, queries, shell, server};

  std::printf("list: %s\n", qt ? "the window's list view (Qt model/view)" : "vector");
  for (int run = 1; run <= 3; ++run) {
    form.list.Clear();
    form.events = 0;
    start = std::chrono::steady_clock::now();
    PushButton6_Click(ports);
    std::printf("scan run %d: %d rows, %lld event passes, %d boxes: %.3f s\n", run,
                form.list.Count(), form.events, dialogs.boxes, Seconds(start));
  }
  std::filesystem::remove_all(root);
  return form.list.Count() == folders * files ? 0 : 1;
}

// ResultsWindow: where the instances a run made visible end up. One entry per instance, titled
// with its workbook's name (and, for a new workbook, the name of the one its results came
// from); the selected entry's workbook is shown as sheet tabs over a lazily read grid with a
// read-only formula bar, and can be saved or closed (the instance quits).
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "engine/server/embedded_server.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTableView;

namespace brintova {

class SheetModel;

// What a save writes: the whole workbook as an Office Open XML package (kind chosen by the
// path's extension), or the displayed texts of the sheet shown for the entry.
enum class SaveFormat { kWorkbook, kCsvOfShownSheet };

struct SaveTarget {
  QString path;
  SaveFormat format = SaveFormat::kWorkbook;
};

// What "Save All…" did: the paths saved, one line per entry not saved (its title and the
// reason), the entries left out because they were saved earlier, and whether the user stopped.
struct SaveAllOutcome {
  QStringList saved;
  QStringList failures;
  int skipped = 0;
  bool stopped = false;
};

// The one summary "Save All…" shows at the end.
QString SaveAllReport(const SaveAllOutcome& outcome, const QString& folder);

// The save dialog's filters offered for a workbook read from a file of `kind`: its own package
// kind first (a workbook read from xls, csv or nothing is offered .xlsx), then .xlsx when that
// keeps everything, then the CSV of the shown sheet (always last).
QStringList SaveFilters(engine::model::SourceKind kind);
// What the window says under an entry read from a file of `kind` that a save cannot write back
// in its own format ("" for the others).
QString SaveKindNote(engine::model::SourceKind kind);
// The file and format a save dialog's answer means: the typed extension when it names a
// package kind or CSV, else the chosen filter's extension appended.
SaveTarget ResolveSaveTarget(const QString& chosen_path, const QString& chosen_filter);

class ResultsWindow : public QWidget {
  Q_OBJECT

 public:
  // How the window asks the user. Built on message boxes and the file dialog; tests replace them,
  // since a modal box cannot be answered offscreen.
  struct Prompts {
    // A Yes/No question; true on Yes.
    std::function<bool(const QString& question)> confirm;
    // The save dialog: the chosen path ("" on Cancel); `chosen_filter` receives the filter.
    std::function<QString(const QString& suggested_path, const QStringList& filters,
                          QString* chosen_filter)>
        choose_save_path;
    std::function<void(const QString& text)> show_failure;
    // "Save All…": the folder dialog ("" on Cancel), the progress of the saves (false: stop),
    // and the summary at the end.
    std::function<QString(const QString& start)> choose_folder;
    std::function<bool(int done, int total, const QString& current)> progress;
    std::function<void(const QString& text)> show_summary;
  };

  explicit ResultsWindow(QWidget* parent = nullptr);
  ~ResultsWindow() override;

  Prompts& prompts() { return prompts_; }

  // An instance just made visible: becomes an entry (once; a quit instance is ignored), gets
  // selected, and the window shows and comes to the front. Entries of instances that quit
  // elsewhere are dropped.
  void AddInstance(std::shared_ptr<engine::EmbeddedApplication> app);

  int EntryCount() const { return static_cast<int>(entries_.size()); }
  QString EntryTitle(int entry) const;
  std::shared_ptr<engine::EmbeddedApplication> Instance(int entry) const;
  int CurrentEntry() const;  // -1 when there is none
  void SelectEntry(int entry);

  // The tabs of the shown workbook, in tab order, and the one shown.
  QStringList SheetTabs() const;
  int CurrentSheet() const;
  void SelectSheet(int tab);
  // The table model of the shown worksheet; null when a chart or other sheet without cells (or
  // nothing) is shown.
  SheetModel* sheet_model() const { return model_; }
  // The note shown in place of the grid ("" while the grid shows).
  QString Note() const;
  // The notice above the grid about the shown entry's workbook, such as formula cells read as
  // empty ("" when there is none).
  QString EntryNotice() const;

  QTableView& grid() { return *grid_; }
  // The formula bar: the current cell's address and its text.
  QString CurrentAddress() const;
  QString CurrentText() const;
  // The status line beside the buttons ("Saved.", or what kind a result will be saved as).
  QString Status() const;

  // Writes the entry's workbook, or the sheet shown for it as CSV, to `path`. Throws Failure
  // with the saver's reason (wrong extension, the source file itself, macros that would be
  // lost, a chart sheet as CSV, a write that failed).
  void SaveAs(int entry, const QString& path, SaveFormat format);
  // "Save As…" on the selected entry: the save dialog, then SaveAs; a failure goes to a box.
  void SaveCurrentAs();
  // Quits the entry's instance without saving and removes the entry; the window hides after
  // the last one.
  void CloseEntry(int entry);
  // "Close" on the selected entry, asking first unless the entry was saved.
  void CloseCurrent();

  // Entries whose workbook is not saved; the window's title shows how many.
  int UnsavedCount() const;
  // Saves the entries into `folder` as workbooks (those saved before only when
  // `include_saved`), named by the command line's rules, reporting progress through the
  // prompts. Failures are collected, never thrown.
  SaveAllOutcome SaveAllInto(const QString& folder, bool include_saved);
  // "Save All…": asks whether to save again what was saved, asks for the folder, saves and
  // shows one summary.
  void SaveAll();
  // "Close All", and closing the window: asks once when unsaved results would be lost, then
  // quits every instance; false when the user said No.
  bool CloseAll();

 protected:
  // Closing the window is closing the application that holds the results: with unsaved entries
  // left it asks, and Yes quits every instance; No keeps the window open.
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Entry {
    std::shared_ptr<engine::EmbeddedApplication> app;
    std::shared_ptr<engine::EmbeddedWorkbook> book;  // null when the instance holds none
    QString title;
    QString notice;
    int sheet_tab = 0;
    bool saved = false;
  };

  void DropQuitEntries();
  void RemoveEntry(int entry);
  void ShowEntry(int entry);
  void ShowSheet(int tab);
  // Widens the grid's columns to the texts of the sheet's first rows, up to a limit.
  void FitColumns();
  void ShowNote(const QString& text);
  void UpdateFormulaBar();
  void UpdateButtons();
  // Runs the work of an event handler; whatever it throws is reported in a box and the window
  // goes on, since nothing may escape into the event loop.
  void Guarded(const std::function<void()>& work);
  void UpdateTitle();
  void InstallSaveAllPrompts();

  Prompts prompts_;
  std::vector<Entry> entries_;
  SheetModel* model_ = nullptr;

  QListWidget* list_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QPushButton* close_button_ = nullptr;
  QPushButton* save_all_button_ = nullptr;
  QPushButton* close_all_button_ = nullptr;
  QString last_save_all_folder_;
  QLabel* status_ = nullptr;
  QLabel* address_ = nullptr;
  QLineEdit* text_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QTableView* grid_ = nullptr;
  QLabel* note_ = nullptr;
  QLabel* notice_ = nullptr;
  QTabBar* tabs_ = nullptr;
};

// Routes every instance the server makes visible to `window`, starting with those already
// visible. The window must outlive the server's use of the viewer.
void AttachResultsWindow(engine::EmbeddedServer& server, ResultsWindow& window);

}  // namespace brintova

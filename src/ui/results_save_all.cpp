// "Save All…" of the results window, and the count of unsaved entries in its title. Every entry is
// saved into one folder under the command line's naming rules: the source's name and kind, " (2)",
// " (3)", ... where a name is taken, never over a file that is already there (a source included).
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "cli/result_names.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "platform/text.h"
#include "ui/results_window.h"

namespace brintova {

namespace {

constexpr int kFailuresListed = 10;

bool PathTaken(std::u16string_view path) {
  struct stat st {};
  return lstat(NativePathFromText(path).c_str(), &st) == 0;  // a dangling link is taken too
}

QString Plural(int count, const char* one, const char* many) {
  return count == 1 ? QString::fromUtf8(one) : QString::fromUtf8(many).arg(count);
}

}  // namespace

QString SaveAllReport(const SaveAllOutcome& outcome, const QString& folder) {
  const QString where = QDir::toNativeSeparators(folder);
  const int count = static_cast<int>(outcome.saved.size());
  QString text;
  if (count == 0 && outcome.failures.isEmpty() && !outcome.stopped) {
    text = QStringLiteral("Nothing was saved: every result was saved already.");
  } else if (count == 0) {
    text = QStringLiteral("Nothing was saved into %1.").arg(where);
  } else if (count == 1) {
    text = QStringLiteral("Saved 1 result into %1.").arg(where);
  } else {
    text = QStringLiteral("Saved %1 results into %2.").arg(count).arg(where);
  }
  if (outcome.skipped > 0) {
    text += u' ' + Plural(outcome.skipped, "1 result saved earlier was left out.",
                          "%1 results saved earlier were left out.");
  }
  if (!outcome.failures.isEmpty()) {
    text += u'\n' + Plural(static_cast<int>(outcome.failures.size()),
                           "\n1 was not saved:", "\n%1 were not saved:");
    for (qsizetype i = 0; i < outcome.failures.size() && i < kFailuresListed; ++i) {
      text += QStringLiteral("\n\u2022 ") + outcome.failures[i];
    }
    if (outcome.failures.size() > kFailuresListed) {
      text += QStringLiteral("\n\u2022 \u2026 and %1 more")
                  .arg(outcome.failures.size() - kFailuresListed);
    }
  }
  if (outcome.stopped) text += QStringLiteral("\nSaving was stopped before the end.");
  return text;
}

void ResultsWindow::InstallSaveAllPrompts() {
  prompts_.choose_folder = [this](const QString& start) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Save All Into Folder"), start);
  };
  prompts_.show_summary = [this](const QString& text) {
    QMessageBox::information(this, QStringLiteral("Save All"), text);
  };
  auto dialog = std::make_shared<QPointer<QProgressDialog>>();
  prompts_.progress = [this, dialog](int done, int total, const QString& name) {
    if (!*dialog) {
      *dialog = new QProgressDialog(QString(), QStringLiteral("Stop"), 0, total, this);
      (*dialog)->setWindowTitle(QStringLiteral("Save All"));
      (*dialog)->setWindowModality(Qt::WindowModal);
      (*dialog)->setMinimumDuration(0);
    }
    QProgressDialog& progress = **dialog;
    progress.setMaximum(total);
    progress.setValue(done);
    progress.setLabelText(done < total ? QStringLiteral("Saving %1\u2026").arg(name)
                                       : QStringLiteral("Done."));
    QCoreApplication::processEvents();
    const bool go_on = !progress.wasCanceled();
    if (done >= total || !go_on) {
      progress.deleteLater();
      *dialog = nullptr;
    }
    return go_on;
  };
}

int ResultsWindow::UnsavedCount() const {
  int unsaved = 0;
  for (const Entry& entry : entries_) unsaved += entry.saved || !entry.book ? 0 : 1;
  return unsaved;
}

void ResultsWindow::UpdateTitle() {
  const int unsaved = UnsavedCount();
  setWindowTitle(unsaved == 0 ? QStringLiteral("Results")
                              : QStringLiteral("Results (%1 unsaved)").arg(unsaved));
  if (save_all_button_ != nullptr) save_all_button_->setEnabled(!entries_.empty());
  if (close_all_button_ != nullptr) close_all_button_->setEnabled(!entries_.empty());
}

SaveAllOutcome ResultsWindow::SaveAllInto(const QString& folder, bool include_saved) {
  DropQuitEntries();
  SaveAllOutcome outcome;
  // The entries to save and the file name each would get alone.
  std::vector<int> chosen;
  std::vector<std::u16string> names;
  for (int i = 0; i < EntryCount(); ++i) {
    const Entry& entry = entries_[static_cast<std::size_t>(i)];
    if (!entry.book) continue;
    if (entry.saved && !include_saved) {
      ++outcome.skipped;
      continue;
    }
    try {
      const engine::model::Workbook& model = entry.book->model();
      const engine::model::Source& source = model.source();
      // A new workbook has no file of its own: it is named after the workbook the run read its
      // results from, as the command line names it, or failing that as the window shows it.
      const bool new_workbook = source.kind == engine::model::SourceKind::kNew;
      std::u16string named_after = source.path;
      if (named_after.empty()) named_after = model.results_source().name;
      if (named_after.empty()) named_after = entry.book->Name();
      names.push_back(cli::ResultFileName(named_after, new_workbook));
      chosen.push_back(i);
    } catch (const Failure& failure) {
      outcome.failures << entry.title + QStringLiteral(": ") + ToQString(failure.description());
    }
  }
  const std::vector<std::u16string> paths =
      cli::AssignUniquePaths(names, PathFromQt(folder), PathTaken);

  const int total = static_cast<int>(chosen.size());
  for (int k = 0; k < total; ++k) {
    const int entry = chosen[static_cast<std::size_t>(k)];
    const QString path = PathToQt(paths[static_cast<std::size_t>(k)]);
    if (prompts_.progress && !prompts_.progress(k, total, QFileInfo(path).fileName())) {
      outcome.stopped = true;
      break;
    }
    try {
      SaveAs(entry, path, SaveFormat::kWorkbook);
      outcome.saved << path;
    } catch (const Failure& failure) {
      outcome.failures << EntryTitle(entry) + QStringLiteral(": ") +
                              ToQString(failure.description());
    }
  }
  if (!outcome.stopped && prompts_.progress) prompts_.progress(total, total, QString());
  UpdateTitle();
  return outcome;
}

void ResultsWindow::SaveAll() {
  DropQuitEntries();
  if (entries_.empty()) return;
  const int unsaved = UnsavedCount();
  const int saved =
      static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                     [](const Entry& entry) { return entry.saved && entry.book; }));
  bool include_saved = false;
  if (saved > 0) {
    const QString question =
        unsaved == 0
            ? QStringLiteral("Every result is saved already. Save them all again into a folder?")
            : Plural(saved, "1 result is saved already. Save it again as well?",
                     "%1 results are saved already. Save them again as well?");
    include_saved = prompts_.confirm(question);
    if (unsaved == 0 && !include_saved) return;
  }
  const QString folder = prompts_.choose_folder(
      last_save_all_folder_.isEmpty() ? QDir::homePath() : last_save_all_folder_);
  if (folder.isEmpty()) return;
  last_save_all_folder_ = folder;
  const SaveAllOutcome outcome = SaveAllInto(folder, include_saved);
  prompts_.show_summary(SaveAllReport(outcome, folder));
}

}  // namespace brintova

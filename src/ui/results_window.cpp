// The results window: the entry list, the sheet tabs and grid of the selected entry, saving and
// closing. Every slot runs through Guarded: nothing may escape into the event loop.
#include "ui/results_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <new>

#include "engine/package/save_workbook.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "ui/sheet_model.h"

namespace brintova {

namespace {

using engine::model::SourceKind;

const QString kFilterXlsx = QStringLiteral("Excel Workbook (*.xlsx)");
const QString kFilterXlsm = QStringLiteral("Excel Macro-Enabled Workbook (*.xlsm)");
const QString kFilterXltx = QStringLiteral("Excel Template (*.xltx)");
const QString kFilterXltm = QStringLiteral("Excel Macro-Enabled Template (*.xltm)");
const QString kFilterCsv = QStringLiteral("CSV of the shown sheet (*.csv)");

// The extension a filter names, without the dot: "xlsx" for "Excel Workbook (*.xlsx)".
QString FilterExtension(const QString& filter) {
  const qsizetype star = filter.lastIndexOf(QStringLiteral("*."));
  const qsizetype close = filter.indexOf(u')', star);
  if (star < 0 || close < 0) return QStringLiteral("xlsx");
  return filter.mid(star + 2, close - star - 2);
}

QString ExtensionFor(SourceKind kind) {
  switch (kind) {
    case SourceKind::kXlsm:
      return QStringLiteral("xlsm");
    case SourceKind::kXltx:
      return QStringLiteral("xltx");
    case SourceKind::kXltm:
      return QStringLiteral("xltm");
    default:
      return QStringLiteral("xlsx");
  }
}

QString FailureText(const Failure& failure) { return ToQString(failure.description()); }

// A pale yellow band with dark text: a notice, not an error.
void SetNoticeColours(QLabel& label) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xce));
  palette.setColor(QPalette::WindowText, QColor(0x3b, 0x2f, 0x00));
  label.setPalette(palette);
  label.setAutoFillBackground(true);
}

}  // namespace

QStringList SaveFilters(SourceKind kind) {
  QStringList filters;
  switch (kind) {
    case SourceKind::kXlsm:
      filters << kFilterXlsm;  // .xlsx would lose the macros, which the saver refuses
      break;
    case SourceKind::kXltm:
      filters << kFilterXltm;
      break;
    case SourceKind::kXltx:
      filters << kFilterXltx << kFilterXlsx;
      break;
    default:
      filters << kFilterXlsx;
      break;
  }
  filters << kFilterCsv;
  return filters;
}

QString SaveKindNote(SourceKind kind) {
  switch (kind) {
    case SourceKind::kXls:
    case SourceKind::kXlt:
      return QStringLiteral(
          "Read from an Excel 97-2003 file, a format that is read only here: "
          "Save As writes .xlsx.");
    case SourceKind::kXlsb:
      return QStringLiteral(
          "Read from an Excel binary (.xlsb) file, a format that is read only here: "
          "Save As writes .xlsx.");
    case SourceKind::kOds:
      return QStringLiteral(
          "Read from an OpenDocument spreadsheet, a format that is read only here: "
          "Save As writes .xlsx.");
    default:
      return {};
  }
}

SaveTarget ResolveSaveTarget(const QString& chosen_path, const QString& chosen_filter) {
  const QString suffix = QFileInfo(chosen_path).suffix().toLower();
  static const QStringList kPackages = {QStringLiteral("xlsx"), QStringLiteral("xlsm"),
                                        QStringLiteral("xltx"), QStringLiteral("xltm")};
  if (suffix == QStringLiteral("csv")) return {chosen_path, SaveFormat::kCsvOfShownSheet};
  if (kPackages.contains(suffix)) return {chosen_path, SaveFormat::kWorkbook};
  const QString extension = FilterExtension(chosen_filter);
  const QString path = chosen_path + u'.' + extension;
  return {path, extension == QStringLiteral("csv") ? SaveFormat::kCsvOfShownSheet
                                                   : SaveFormat::kWorkbook};
}

ResultsWindow::ResultsWindow(QWidget* parent) : QWidget(parent) {
  // The desktop adds the program's name after the title ("Results — Brintova").
  setWindowTitle(QStringLiteral("Results"));
  resize(960, 640);

  prompts_.confirm = [this](const QString& question) {
    return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  prompts_.choose_save_path = [this](const QString& suggested, const QStringList& filters,
                                     QString* chosen_filter) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), suggested,
                                        filters.join(QStringLiteral(";;")), chosen_filter);
  };
  prompts_.show_failure = [this](const QString& text) {
    QMessageBox::warning(this, QStringLiteral("Save As"), text);
  };
  InstallSaveAllPrompts();

  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("entries"));
  list_->setMinimumWidth(180);

  save_button_ = new QPushButton(QStringLiteral("Save As\u2026"));
  close_button_ = new QPushButton(QStringLiteral("Close"));
  close_button_->setToolTip(QStringLiteral("Close this workbook without saving"));
  save_all_button_ = new QPushButton(QStringLiteral("Save All\u2026"));
  save_all_button_->setObjectName(QStringLiteral("saveAll"));
  save_all_button_->setToolTip(QStringLiteral("Save every result into one folder"));
  close_all_button_ = new QPushButton(QStringLiteral("Close All"));
  close_all_button_->setObjectName(QStringLiteral("closeAll"));
  close_all_button_->setToolTip(QStringLiteral("Close every result"));
  status_ = new QLabel;
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save_button_);
  buttons->addWidget(close_button_);
  buttons->addWidget(save_all_button_);
  buttons->addWidget(close_all_button_);
  buttons->addWidget(status_, 1);

  address_ = new QLabel;
  address_->setMinimumWidth(70);
  address_->setFrameShape(QFrame::StyledPanel);
  text_ = new QLineEdit;
  text_->setReadOnly(true);
  auto* formula_bar = new QHBoxLayout;
  formula_bar->addWidget(address_);
  formula_bar->addWidget(text_, 1);

  grid_ = new QTableView;
  grid_->setObjectName(QStringLiteral("grid"));
  grid_->setWordWrap(false);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Fixed section sizes: the headers never measure a million rows.
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid_->horizontalHeader()->setDefaultSectionSize(90);
  note_ = new QLabel;
  note_->setAlignment(Qt::AlignCenter);
  note_->setWordWrap(true);
  notice_ = new QLabel;
  notice_->setObjectName(QStringLiteral("notice"));
  notice_->setWordWrap(true);
  notice_->setTextFormat(Qt::PlainText);
  notice_->setFrameShape(QFrame::StyledPanel);
  notice_->setMargin(4);
  SetNoticeColours(*notice_);
  notice_->hide();
  stack_ = new QStackedWidget;
  stack_->addWidget(grid_);
  stack_->addWidget(note_);

  tabs_ = new QTabBar;
  tabs_->setObjectName(QStringLiteral("sheets"));
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);

  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addLayout(buttons);
  right_layout->addLayout(formula_bar);
  right_layout->addWidget(notice_);
  right_layout->addWidget(stack_, 1);
  right_layout->addWidget(tabs_);

  auto* splitter = new QSplitter;
  splitter->addWidget(list_);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);

  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { Guarded([&] { ShowEntry(row); }); });
  connect(tabs_, &QTabBar::currentChanged, this,
          [this](int tab) { Guarded([&] { ShowSheet(tab); }); });
  connect(save_button_, &QPushButton::clicked, this, [this] { Guarded([&] { SaveCurrentAs(); }); });
  connect(close_button_, &QPushButton::clicked, this, [this] { Guarded([&] { CloseCurrent(); }); });
  connect(save_all_button_, &QPushButton::clicked, this, [this] { Guarded([&] { SaveAll(); }); });
  connect(close_all_button_, &QPushButton::clicked, this, [this] { Guarded([&] { CloseAll(); }); });
  ShowEntry(-1);
  UpdateTitle();
}

void ResultsWindow::Guarded(const std::function<void()>& work) {
  QString text;
  try {
    work();
    return;
  } catch (const Failure& failure) {
    text = FailureText(failure);
  } catch (const std::bad_alloc&) {
    text = QStringLiteral(
        "There is not enough memory to finish this. The results are still open; close other "
        "programs or results and try again.");
  } catch (const std::exception& other) {
    text = QString::fromUtf8(other.what());
  } catch (...) {
    text = QStringLiteral("An unexpected error stopped this action. The results are still open.");
  }
  try {
    prompts_.show_failure(text);
  } catch (...) {
    // Not even the box could be shown; the window goes on.
  }
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::AddInstance(std::shared_ptr<engine::EmbeddedApplication> app) {
  DropQuitEntries();
  if (!app || !app->IsOpen()) return;
  for (int i = 0; i < EntryCount(); ++i) {
    if (entries_[static_cast<std::size_t>(i)].app == app) {
      SelectEntry(i);
      return;
    }
  }
  Entry entry;
  entry.app = std::move(app);
  try {
    // The run leaves its result in the workbook it opened or added last.
    const std::int32_t count = entry.app->Workbooks().Count();
    if (count > 0) {
      entry.book =
          std::dynamic_pointer_cast<engine::EmbeddedWorkbook>(entry.app->Workbooks().Item(count));
    }
    entry.title = entry.book ? ToQString(entry.book->Name()) : QStringLiteral("(no workbook)");
    if (entry.book) {
      const engine::model::Workbook& book = entry.book->model();
      // A new workbook holding results is named after the workbook they came from as well:
      // every such entry is "Book1" otherwise.
      if (!book.results_source().name.empty()) {
        entry.title += QStringLiteral(" \u2014 ") + ToQString(book.results_source().name);
      }
      entry.notice = ToQString(engine::UncalculatedFormulasNotice(book));
    }
  } catch (const Failure&) {
    return;  // the instance quit while being shown
  }
  entries_.push_back(std::move(entry));
  list_->addItem(entries_.back().title);
  list_->item(list_->count() - 1)
      ->setToolTip(entries_.back().book ? ToQString(entries_.back().book->FullName()) : QString());
  SelectEntry(EntryCount() - 1);
  UpdateTitle();
  show();
  raise();
  activateWindow();
}

QString ResultsWindow::EntryTitle(int entry) const {
  if (entry < 0 || entry >= EntryCount()) return {};
  return entries_[static_cast<std::size_t>(entry)].title;
}

std::shared_ptr<engine::EmbeddedApplication> ResultsWindow::Instance(int entry) const {
  if (entry < 0 || entry >= EntryCount()) return nullptr;
  return entries_[static_cast<std::size_t>(entry)].app;
}

int ResultsWindow::CurrentEntry() const { return list_->currentRow(); }

void ResultsWindow::SelectEntry(int entry) {
  if (entry < 0 || entry >= EntryCount()) return;
  if (list_->currentRow() == entry) {
    ShowEntry(entry);
  } else {
    list_->setCurrentRow(entry);  // shows it through currentRowChanged
  }
}

QStringList ResultsWindow::SheetTabs() const {
  QStringList names;
  for (int i = 0; i < tabs_->count(); ++i) names << tabs_->tabText(i);
  return names;
}

int ResultsWindow::CurrentSheet() const { return tabs_->currentIndex(); }

void ResultsWindow::SelectSheet(int tab) {
  if (tab < 0 || tab >= tabs_->count()) return;
  if (tabs_->currentIndex() == tab) {
    ShowSheet(tab);
  } else {
    tabs_->setCurrentIndex(tab);
  }
}

QString ResultsWindow::Note() const {
  return stack_->currentWidget() == note_ ? note_->text() : QString();
}

QString ResultsWindow::EntryNotice() const {
  return notice_->isHidden() ? QString() : notice_->text();
}

QString ResultsWindow::CurrentAddress() const { return address_->text(); }
QString ResultsWindow::CurrentText() const { return text_->text(); }

QString ResultsWindow::Status() const { return status_->text(); }

void ResultsWindow::DropQuitEntries() {
  for (int i = EntryCount() - 1; i >= 0; --i) {
    if (!entries_[static_cast<std::size_t>(i)].app->IsOpen()) RemoveEntry(i);
  }
}

void ResultsWindow::RemoveEntry(int entry) {
  const bool shown = entry == list_->currentRow();
  if (shown) {
    // Detach the grid first: the model must not outlive the view's use of it.
    grid_->setModel(nullptr);
    delete model_;
    model_ = nullptr;
  }
  entries_.erase(entries_.begin() + entry);
  {
    const QSignalBlocker block(list_);
    delete list_->takeItem(entry);
  }
  ShowEntry(list_->currentRow());
  UpdateTitle();
}

void ResultsWindow::ShowEntry(int entry) {
  {
    const QSignalBlocker block(tabs_);
    while (tabs_->count() > 0) tabs_->removeTab(0);
  }
  status_->clear();
  const QString notice = entry >= 0 && entry < EntryCount()
                             ? entries_[static_cast<std::size_t>(entry)].notice
                             : QString();
  notice_->setText(notice);
  notice_->setVisible(!notice.isEmpty());
  if (entry < 0 || entry >= EntryCount()) {
    ShowNote(EntryCount() == 0 ? QStringLiteral("No results are open.") : QString());
    UpdateButtons();
    return;
  }
  Entry& shown = entries_[static_cast<std::size_t>(entry)];
  if (!shown.book) {
    ShowNote(QStringLiteral("This instance holds no workbook."));
    UpdateButtons();
    return;
  }
  try {
    const QSignalBlocker block(tabs_);
    const std::int32_t count = shown.book->Sheets().Count();
    for (std::int32_t i = 1; i <= count; ++i) {
      auto sheet = std::static_pointer_cast<engine::EmbeddedSheet>(shown.book->Sheets().Item(i));
      QString label = ToQString(sheet->Name());
      if (sheet->IsHidden()) label += QStringLiteral(" (hidden)");
      tabs_->addTab(label);
    }
  } catch (const Failure& failure) {
    ShowNote(FailureText(failure));
    UpdateButtons();
    return;
  }
  if (shown.sheet_tab >= tabs_->count()) shown.sheet_tab = 0;
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(shown.sheet_tab);
  }
  ShowSheet(shown.sheet_tab);
  if (shown.saved) {
    status_->setText(QStringLiteral("Saved."));
  } else {
    try {
      status_->setText(SaveKindNote(shown.book->model().source().kind));
    } catch (const Failure& failure) {
      status_->setText(FailureText(failure));
    }
  }
  UpdateButtons();
}

void ResultsWindow::ShowSheet(int tab) {
  grid_->setModel(nullptr);
  delete model_;
  model_ = nullptr;
  const int entry = list_->currentRow();
  if (entry < 0 || entry >= EntryCount() || tab < 0) return;
  Entry& shown = entries_[static_cast<std::size_t>(entry)];
  shown.sheet_tab = tab;
  if (!shown.book) return;
  try {
    auto sheet =
        std::static_pointer_cast<engine::EmbeddedSheet>(shown.book->Sheets().Item(tab + 1));
    switch (sheet->Kind()) {
      case SheetKind::kChart:
        ShowNote(QStringLiteral("Chart sheet: charts are not displayed here."));
        return;
      case SheetKind::kDialog:
        ShowNote(QStringLiteral("This sheet holds no cells to display."));
        return;
      case SheetKind::kWorksheet:
        break;
    }
    model_ = new SheetModel(std::move(sheet), this);
  } catch (const Failure& failure) {
    ShowNote(FailureText(failure));
    return;
  }
  grid_->setModel(model_);
  FitColumns();
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { Guarded([&] { UpdateFormulaBar(); }); });
  stack_->setCurrentWidget(grid_);
  grid_->setCurrentIndex(model_->index(0, 0));
  UpdateFormulaBar();
}

void ResultsWindow::FitColumns() {
  // Only the first rows and columns are measured, so a huge used range costs no more than a
  // screenful; a very long text gets a wide column, not one that pushes the rest out of view.
  constexpr int kRowsMeasured = 100, kColumnsMeasured = 64, kWidest = 320, kPadding = 12;
  const QFontMetrics metrics = grid_->fontMetrics();
  const int rows = std::min(model_->rowCount(), kRowsMeasured);
  const int columns = std::min(model_->columnCount(), kColumnsMeasured);
  for (int column = 0; column < columns; ++column) {
    int width = grid_->horizontalHeader()->defaultSectionSize();
    for (int row = 0; row < rows && width < kWidest; ++row) {
      const QString text = model_->CellText(model_->index(row, column));
      if (!text.isEmpty()) width = std::max(width, metrics.horizontalAdvance(text) + kPadding);
    }
    grid_->setColumnWidth(column, std::min(width, kWidest));
  }
}

void ResultsWindow::ShowNote(const QString& text) {
  grid_->setModel(nullptr);
  delete model_;
  model_ = nullptr;
  note_->setText(text);
  stack_->setCurrentWidget(note_);
  UpdateFormulaBar();
}

void ResultsWindow::UpdateFormulaBar() {
  const QModelIndex current = model_ != nullptr ? grid_->currentIndex() : QModelIndex();
  if (!current.isValid()) {
    address_->clear();
    text_->clear();
    return;
  }
  address_->setText(CellAddress(current.row() + 1, current.column() + 1));
  text_->setText(model_->CellText(current));
  text_->setCursorPosition(0);
}

void ResultsWindow::UpdateButtons() {
  const int entry = list_->currentRow();
  const bool has_entry = entry >= 0 && entry < EntryCount();
  save_button_->setEnabled(has_entry && entries_[static_cast<std::size_t>(entry)].book);
  close_button_->setEnabled(has_entry);
}

void ResultsWindow::SaveAs(int entry, const QString& path, SaveFormat format) {
  if (entry < 0 || entry >= EntryCount()) throw Failure("There is no such result to save.");
  Entry& target = entries_[static_cast<std::size_t>(entry)];
  if (!target.book) throw Failure("This instance holds no workbook to save.");
  const std::u16string native = PathFromQt(path);
  const engine::model::Workbook& book = target.book->model();  // throws once quit
  if (format == SaveFormat::kWorkbook) {
    engine::package::SaveWorkbookAs(book, native);
  } else {
    auto sheet = std::static_pointer_cast<engine::EmbeddedSheet>(
        target.book->Sheets().Item(target.sheet_tab + 1));
    if (sheet->Kind() != SheetKind::kWorksheet) {
      throw Failure(u"Cannot save \"" + sheet->Name() +
                    u"\" as CSV: it is a chart or dialog sheet, which has no cells. Choose a "
                    u"worksheet's tab first.");
    }
    engine::package::SaveSheetAsCsv(book, sheet->model(), native);
  }
  target.saved = true;
  UpdateTitle();
  if (entry == list_->currentRow()) {
    status_->setText(QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(path)));
  }
}

void ResultsWindow::SaveCurrentAs() {
  const int entry = list_->currentRow();
  if (entry < 0 || entry >= EntryCount()) return;
  const Entry& target = entries_[static_cast<std::size_t>(entry)];
  if (!target.book) return;
  QString suggested;
  QStringList filters;
  try {
    const engine::model::Source& source = target.book->model().source();
    filters = SaveFilters(source.kind);
    // Next to the source under a new name: the source file itself is never written over.
    const QString folder =
        source.path.empty() ? QDir::homePath() : QFileInfo(PathToQt(source.path)).absolutePath();
    const QString base = QFileInfo(ToQString(target.book->Name())).completeBaseName();
    const QString name = source.path.empty() ? base : base + QStringLiteral(" (results)");
    suggested = QDir(folder).filePath(name + u'.' + ExtensionFor(source.kind));
  } catch (const Failure& failure) {
    prompts_.show_failure(FailureText(failure));
    return;
  }
  QString filter = filters.front();
  const QString chosen = prompts_.choose_save_path(suggested, filters, &filter);
  if (chosen.isEmpty()) return;
  const SaveTarget resolved = ResolveSaveTarget(chosen, filter);
  try {
    SaveAs(entry, resolved.path, resolved.format);
  } catch (const Failure& failure) {
    prompts_.show_failure(FailureText(failure));
  }
}

void ResultsWindow::CloseEntry(int entry) {
  if (entry < 0 || entry >= EntryCount()) return;
  // Quit takes the instance out of the server's visible list, so it no longer counts as a
  // running spreadsheet application.
  entries_[static_cast<std::size_t>(entry)].app->Quit();
  RemoveEntry(entry);
  if (entries_.empty()) hide();
}

void ResultsWindow::CloseCurrent() {
  const int entry = list_->currentRow();
  if (entry < 0 || entry >= EntryCount()) return;
  const Entry& target = entries_[static_cast<std::size_t>(entry)];
  // The user asked for the close, but the results exist nowhere else: once unsaved results are
  // gone no run can bring them back without redoing it, so one Yes/No is worth the click.
  if (!target.saved &&
      !prompts_.confirm(QStringLiteral("Close \"%1\" without saving? Its results will be lost.")
                            .arg(target.title))) {
    return;
  }
  CloseEntry(entry);
}

void ResultsWindow::closeEvent(QCloseEvent* event) {
  event->ignore();  // unless the work below finishes: a failure keeps the window and results
  Guarded([&] {
    if (CloseAll()) event->accept();
  });
}

bool ResultsWindow::CloseAll() {
  DropQuitEntries();
  int unsaved = 0;
  for (const Entry& entry : entries_) unsaved += entry.saved ? 0 : 1;
  if (unsaved > 0) {
    const QString question =
        unsaved == 1 ? QStringLiteral("Discard the unsaved results of 1 workbook?")
                     : QStringLiteral("Discard the unsaved results of %1 workbooks?").arg(unsaved);
    if (!prompts_.confirm(question)) return false;
  }
  while (!entries_.empty()) CloseEntry(EntryCount() - 1);
  return true;
}

void AttachResultsWindow(engine::EmbeddedServer& server, ResultsWindow& window) {
  for (const auto& app : server.VisibleInstances()) window.AddInstance(app);
  server.SetInstanceViewer(
      [&window](std::shared_ptr<engine::EmbeddedApplication> app) { window.AddInstance(app); });
}

}  // namespace brintova

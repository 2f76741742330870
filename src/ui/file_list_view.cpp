// The file list's view and model, and the translation of Qt's input events into the list's
// own events.
#include "ui/file_list_view.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "platform/text.h"
#include "ui/drop_data.h"
#include "ui/twips.h"

namespace brintova {

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != 0 || role != Qt::DisplayRole) return {};
  return ToQString(rows_[static_cast<std::size_t>(index.row())]);
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(headers_.size())) {
    return {};
  }
  return headers_[static_cast<std::size_t>(section)];
}

void FileListModel::AddHeader(const QString& text) {
  const int column = static_cast<int>(headers_.size());
  beginInsertColumns(QModelIndex(), column, column);
  headers_.push_back(text);
  endInsertColumns();
}

void FileListModel::Append(std::u16string text) {
  const int row = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), row, row);
  rows_.push_back(std::move(text));
  endInsertRows();
}

void FileListModel::RemoveRow(int row) {
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

void FileListModel::Clear() {
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  endResetModel();
}

FileListView::FileListView(QWidget* parent) : QTreeView(parent) {
  setModel(&model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  header()->setSectionsMovable(false);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  header()->setMouseTracking(true);
  viewport()->installEventFilter(this);
  header()->installEventFilter(this);
}

void FileListView::AddColumnHeader(std::u16string_view text) { model_.AddHeader(ToQString(text)); }

void FileListView::SetColumnHeaderWidth(std::int32_t twips) {
  if (model_.columnCount() == 0) throw Failure(u"The file list has no column to size", 35600);
  header()->resizeSection(model_.columnCount() - 1, TwipsToPixels(twips, dpi_));
}

void FileListView::Add(std::u16string_view text) { model_.Append(std::u16string(text)); }

std::int32_t FileListView::Count() { return model_.rowCount(); }

void FileListView::CheckIndex(std::int32_t index) {
  if (index < 1 || index > Count()) {
    throw Failure(u"The file list has no row " + DecimalText(index), 35600);
  }
}

std::u16string FileListView::Item(std::int32_t index) {
  CheckIndex(index);
  return model_.Row(index - 1);
}

std::int32_t FileListView::SelectedIndex() {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty()) throw Failure(u"No row of the file list is selected", 91);
  return rows.first().row() + 1;
}

void FileListView::Remove(std::int32_t index) {
  CheckIndex(index);
  model_.RemoveRow(index - 1);
}

void FileListView::Clear() { model_.Clear(); }

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (events_.dbl_click) events_.dbl_click();
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  if (events_.key_down) events_.key_down(KeyCodeOf(event->key()));
  QTreeView::keyPressEvent(event);
}

namespace {

// A drop copies or links, never moves: a drag source that honours a move would delete the
// files it handed over. Ignore when the source allows neither.
Qt::DropAction CopyOrLink(Qt::DropAction wanted, Qt::DropActions possible) {
  if ((wanted == Qt::CopyAction || wanted == Qt::LinkAction) && (possible & wanted)) return wanted;
  if (wanted == Qt::IgnoreAction) return Qt::IgnoreAction;
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

}  // namespace

void FileListView::DragOver(QDragMoveEvent* event) {
  QtDropData data(event->mimeData());
  // Qt's copy, move and link actions have the same values as the drop effects.
  std::int32_t effect = static_cast<std::int32_t>(event->proposedAction());
  if (events_.ole_drag_over) {
    events_.ole_drag_over(data, effect);
  } else if (!data.GetFormat(kFormatFileList)) {
    effect = kDropEffectNone;
  }
  const Qt::DropAction action =
      CopyOrLink(static_cast<Qt::DropAction>(effect & Qt::ActionMask), event->possibleActions());
  if (action == Qt::IgnoreAction) {
    event->ignore();
    return;
  }
  event->setDropAction(action);
  event->accept();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) { DragOver(event); }
void FileListView::dragMoveEvent(QDragMoveEvent* event) { DragOver(event); }
void FileListView::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void FileListView::dropEvent(QDropEvent* event) {
  QtDropData data(event->mimeData());
  const Qt::DropAction action = CopyOrLink(event->proposedAction(), event->possibleActions());
  if ((!data.GetFormat(kFormatFileList) && !events_.ole_drag_drop) || action == Qt::IgnoreAction) {
    event->ignore();
    return;
  }
  event->setDropAction(action);
  event->accept();
  if (events_.ole_drag_drop) events_.ole_drag_drop(data);
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && events_.mouse_move) events_.mouse_move();
  return QTreeView::eventFilter(watched, event);
}

std::int32_t KeyCodeOf(int qt_key) {
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return qt_key;  // 65..90, as the codes
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return qt_key;  // 48..57
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return 112 + (qt_key - Qt::Key_F1);
  switch (qt_key) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Pause:
      return 19;
    case Qt::Key_CapsLock:
      return 20;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      return 0;
  }
}

}  // namespace brintova

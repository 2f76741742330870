// ListView1: a report list of texts over a model, so that 100,000 rows stay responsive. It
// raises the double-click, key, mouse-move and drag-and-drop events of the file list.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace brintova {

// The rows (one text each) and the column headers. Rows are counted from 0 here.
class FileListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void AddHeader(const QString& text);
  void Append(std::u16string text);
  void RemoveRow(int row);
  void Clear();
  const std::u16string& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }

 private:
  std::vector<QString> headers_;
  std::vector<std::u16string> rows_;
};

struct FileListEvents {
  std::function<void()> dbl_click;
  std::function<void(std::int32_t key_code)> key_down;
  std::function<void()> mouse_move;
  std::function<void(DataObject& data, std::int32_t& effect)> ole_drag_over;
  std::function<void(DataObject& data)> ole_drag_drop;
};

class FileListView : public QTreeView, public ListView {
  Q_OBJECT

 public:
  explicit FileListView(QWidget* parent = nullptr);

  // Twips are turned into pixels with this resolution.
  void SetDotsPerInch(double dpi) { dpi_ = dpi; }
  FileListEvents& events() { return events_; }
  FileListModel& model_of_rows() { return model_; }

  void AddColumnHeader(std::u16string_view text) override;
  void SetColumnHeaderWidth(std::int32_t twips) override;
  void Add(std::u16string_view text) override;
  std::int32_t Count() override;
  std::u16string Item(std::int32_t index) override;
  std::int32_t SelectedIndex() override;
  void Remove(std::int32_t index) override;
  void Clear() override;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CheckIndex(std::int32_t index);
  void DragOver(QDragMoveEvent* event);

  FileListModel model_;
  FileListEvents events_;
  double dpi_ = 96.0;
};

// The key code the handlers see for a Qt key: 46 for Delete, 8 for Backspace, letters and
// digits as their upper-case character codes, and so on; 0 for keys without one.
std::int32_t KeyCodeOf(int qt_key);

}  // namespace brintova

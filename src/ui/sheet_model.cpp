// The table model over an engine worksheet: sizes fixed when built, texts read per visible cell.
#include "ui/sheet_model.h"

#include "engine/model/cell.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"

namespace brintova {

QString ColumnLetters(std::int32_t column) {
  return QString::fromLatin1(engine::model::ColumnLetters(column));
}

QString CellAddress(std::int32_t row, std::int32_t column) {
  return ColumnLetters(column) + QString::number(row);
}

SheetModel::SheetModel(std::shared_ptr<engine::EmbeddedSheet> sheet, QObject* parent)
    : QAbstractTableModel(parent), sheet_(std::move(sheet)) {
  const CellPosition end = sheet_->UsedRangeEnd();
  rows_ = end.row;
  columns_ = end.column;
}

int SheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int SheetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QString SheetModel::CellText(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_) return {};
  try {
    return ToQString(sheet_->CellText({index.row() + 1, index.column() + 1}));
  } catch (const Failure&) {
    // Only an instance that quit under the view fails here; its cells are gone.
    return {};
  }
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QString text = CellText(index);
  if (role == Qt::ToolTipRole && text.isEmpty()) return {};
  return text;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return ColumnLetters(section + 1);
  return QString::number(section + 1);
}

}  // namespace brintova

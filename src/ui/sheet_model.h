// SheetModel: one engine worksheet as a table for a Qt view. Cells are read lazily, only when
// the view asks for them, so a sheet with a million-cell used range costs nothing up front.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <memory>

#include "engine/server/embedded_server.h"

namespace brintova {

// Column letters of a 1-based column number: 1 "A", 26 "Z", 27 "AA", 16384 "XFD".
QString ColumnLetters(std::int32_t column);
// A cell's address as the formula bar shows it: "B3".
QString CellAddress(std::int32_t row, std::int32_t column);

class SheetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The grid spans A1 to the end of the sheet's used range (one empty cell for an empty sheet).
  // The sheet must be a worksheet of an open instance.
  explicit SheetModel(std::shared_ptr<engine::EmbeddedSheet> sheet, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: the cell's displayed text; empty once the instance has quit.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // Column letters across, row numbers down.
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The displayed text of the cell at a 0-based model index; empty when out of range or when the
  // instance has quit.
  QString CellText(const QModelIndex& index) const;

 private:
  std::shared_ptr<engine::EmbeddedSheet> sheet_;
  int rows_ = 1;
  int columns_ = 1;
};

}  // namespace brintova

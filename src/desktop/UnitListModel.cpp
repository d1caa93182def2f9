#include "desktop/UnitListModel.h"

#include <QColor>

namespace tarvosk {

int UnitListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(units_.units.size());
}

QVariant UnitListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ViewerUnit& unit = units_.units[static_cast<std::size_t>(index.row())];
  switch (role) {
    // The number as the system prints it: its low 32 bits, signed.
    case Qt::DisplayRole: return QString::number(static_cast<std::int32_t>(unit.number));
    case Qt::TextAlignmentRole: return static_cast<int>(Qt::AlignCenter);
    case Qt::ForegroundRole: return unit.free ? QVariant() : QVariant(QColor(255, 0, 0));
    default: return {};
  }
}

}  // namespace tarvosk

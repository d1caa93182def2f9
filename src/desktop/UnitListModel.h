// The viewer's unit list (control 1003) as a model over the file's units: each row a unit
// number, centred, in red when another file now occupies the unit.
#pragma once

#include <QAbstractListModel>

#include "viewers/UnitList.h"

namespace tarvosk {

class UnitListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  UnitListModel(const FileUnits& units, QObject* parent) : QAbstractListModel(parent), units_(units) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const FileUnits& units_;
};

}  // namespace tarvosk

#include "desktop/DriveListModel.h"

#include "desktop/Icons.h"
#include "desktop/QtText.h"
#include "shell/DriveRows.h"

namespace tarvosk {

DriveListModel::DriveListModel(QStringList headers, QIcon icon, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)), icon_(std::move(icon)) {}

DriveListModel* DriveListModel::newLogicalDriveList(QObject* parent) {
  return new DriveListModel({"名称", "大小", "类型"}, icons::drive(), parent);
}

DriveListModel* DriveListModel::newPhysicalDriveList(QObject* parent) {
  return new DriveListModel({"名称", "大小", "模型"}, icons::hardDisk(), parent);
}

void DriveListModel::addLogicalDrives() {
  for (const LogicalDriveRow& row : logicalDriveRows()) {
    bool listed = false;
    for (const DriveListRow& shown : rows_) listed = listed || shown.driveCharacter == row.letter;
    if (!listed) addOrUpdate({row.letter, qstr(row.name), qstr(row.size), qstr(row.fileSystem)});
  }
}

void DriveListModel::addPhysicalDrives() {
  for (const PhysicalDriveRow& row : physicalDriveRows(true))
    addOrUpdate({row.driveCharacter, qstr(row.name), qstr(row.capacity), qstr(row.model)});
}

void DriveListModel::clear() {
  if (rows_.empty()) return;
  beginRemoveRows({}, 0, static_cast<int>(rows_.size()) - 1);
  rows_.clear();
  endRemoveRows();
}

void DriveListModel::addOrUpdate(const DriveListRow& row) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].driveCharacter == row.driveCharacter) {
      rows_[i] = row;
      emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), 2));
      return;
    }
  }
  const int at = static_cast<int>(rows_.size());
  beginInsertRows({}, at, at);
  rows_.push_back(row);
  endInsertRows();
}

char16_t DriveListModel::driveCharacterAt(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? rows_[static_cast<std::size_t>(row)].driveCharacter : 0;
}

int DriveListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int DriveListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(headers_.size()); }

QVariant DriveListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const DriveListRow& row = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case 0: return row.name;
      case 1: return row.size;
      default: return row.third;
    }
  }
  if (role == Qt::DecorationRole && index.column() == 0) return icon_;
  if (role == Qt::UserRole) return QVariant::fromValue(static_cast<int>(row.driveCharacter));
  return {};
}

QVariant DriveListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
    return headers_[section];
  return {};
}

}  // namespace tarvosk

// The model of the two drive lists: three columns of text per drive, the drive's character as
// the row's item data.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <vector>

namespace tarvosk {

struct DriveListRow {
  char16_t driveCharacter = 0;
  QString name, size, third;  // the third column: file system, or model
};

class DriveListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  DriveListModel(QStringList headers, QIcon icon, QObject* parent = nullptr);
  // The two lists: logical drives (name, size, file system) and physical drives (name, size,
  // model), as the main window's drive lists and the scan wizard show them.
  static DriveListModel* newLogicalDriveList(QObject* parent = nullptr);
  static DriveListModel* newPhysicalDriveList(QObject* parent = nullptr);

  // Empties the list.
  void clear();
  // Appends the logical drives not listed yet.
  void addLogicalDrives();
  // Updates the rows of the physical drives listed and appends the others.
  void addPhysicalDrives();
  // Updates the row of the same drive character, or appends a new one.
  void addOrUpdate(const DriveListRow& row);
  char16_t driveCharacterAt(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  QStringList headers_;
  QIcon icon_;
  std::vector<DriveListRow> rows_;
};

}  // namespace tarvosk

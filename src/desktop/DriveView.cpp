#include "desktop/DriveView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QPainter>

#include "desktop/ColumnWidths.h"
#include "desktop/MainFrame.h"

namespace tarvosk {

DriveListView::DriveListView(CMainFrame& frame, DriveListModel* model, const ColumnWidth (&widths)[3], QWidget* parent)
    : QTreeView(parent), frame_(frame), model_(model) {
  model_->setParent(this);
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setIconSize(QSize(16, 16));
  fitDriveListColumns(*this, widths);
  connect(this, &QTreeView::activated, this,
          [this](const QModelIndex& index) { frame_.openDriveFromList(model_->driveCharacterAt(index.row())); });
}

const ColumnWidth kLogicalDriveColumns[3] = {
    {170, {QStringLiteral("可移动磁盘 (C:)")}}, {70, {QStringLiteral("1000.0 Mb")}}, {90, {QStringLiteral("exFAT")}}};
const ColumnWidth kPhysicalDriveColumns[3] = {{170, {QStringLiteral("硬盘 10")}}, {70, {QStringLiteral("1000.0 Gb")}}, {90, {}}};

void fitDriveListColumns(QTreeView& view, const ColumnWidth (&widths)[3]) {
  view.header()->setStretchLastSection(false);
  for (int c = 0; c < 3; ++c) view.header()->resizeSection(c, fittedWidth(view, widths[c]));
}

CDriveView::CDriveView(CMainFrame& frame, QWidget* parent)
    : DriveListView(frame, DriveListModel::newLogicalDriveList(), kLogicalDriveColumns, parent) {}

void CDriveView::fill(bool emptyFirst) {
  if (emptyFirst) model_->clear();
  model_->addLogicalDrives();
  viewport()->update();
}

void CDriveView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (model_->rowCount() > 0) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  const QRect area = viewport()->rect().adjusted(24, 24, -24, -24);
  painter.drawText(area, Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap,
                   QStringLiteral("没有可以扫描的驱动器。\n\n请用“文件”菜单中的“附加磁盘映像...”打开一个磁盘映像文件，"
                                  "或在启动时给出映像：tarvosk --image 映像文件。\n"
                                  "要扫描本机的磁盘，请以有权读取这些磁盘的用户身份运行 Tarvosk。"));
}

CHDView::CHDView(CMainFrame& frame, QWidget* parent)
    : DriveListView(frame, DriveListModel::newPhysicalDriveList(), kPhysicalDriveColumns, parent) {}

void CHDView::fill(bool emptyFirst) {
  if (emptyFirst) model_->clear();
  model_->addPhysicalDrives();
  // A model name is as long as the disk's maker made it: the column grows to show it whole.
  header()->resizeSection(2, std::max(header()->sectionSize(2), sizeHintForColumn(2)));
}

void CHDView::contextMenuEvent(QContextMenuEvent* event) { frame_.showPopup(9, event->globalPos()); }

}  // namespace tarvosk

#include "desktop/ViewerDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <algorithm>

#include "desktop/HelpWindow.h"
#include "desktop/HexView.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "desktop/UnitListModel.h"
#include "platform/Format.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk {

CViewerDlg::CViewerDlg(const FileEntry& entry, QWidget* parent)
    : QDialog(parent), entry_(entry), units_(listFileUnits(entry)) {
  setObjectId(this, res::IDD_VIEWER);
  setWindowTitle(QStringLiteral("文件查看器"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* explanation = new QLabel(QStringLiteral("左边的列中有属于所选文件的数据簇。标记为红色的簇正被其他文件占用，因此不可恢复。"
                                                "按“帮助”按钮学习更多知识。"), this);
  explanation->setWordWrap(true);
  model_ = new UnitListModel(units_, this);
  list_ = new QListView(this);
  setObjectId(list_, res::IDC_UNIT_LIST);
  list_->setModel(model_);
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setFixedWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("-2147483648")) + 40);
  caption_ = new QLabel(QStringLiteral("数据查看器"), this);
  setObjectId(caption_, res::IDC_DATA_CAPTION);
  data_ = new HexView(this);
  setObjectId(data_, res::IDC_DATA_VIEW);
  data_->setMinimumHeight(320);

  undeleteSelection_ = new QPushButton(QStringLiteral("反删除选定内容(&S)"), this);
  setObjectId(undeleteSelection_, res::IDC_UNDELETE_SELECTION);
  auto* undeleteAll = new QPushButton(QStringLiteral("全部反删除(&U)"), this);
  setObjectId(undeleteAll, res::IDC_UNDELETE_ALL);
  auto* close = new QPushButton(QStringLiteral("关闭(&C)"), this);
  setObjectId(close, res::IDOK_BUTTON);
  auto* help = new QPushButton(QStringLiteral("帮助(&H)"), this);
  setObjectId(help, res::IDC_HELP_BUTTON);
  connect(undeleteSelection_, &QPushButton::clicked, this, &CViewerDlg::undeleteSelection);
  connect(undeleteAll, &QPushButton::clicked, this, [this] { done(res::IDR_UNDELETE_ALL); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { HelpWindow::open(this); });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("文件簇"), this), 0, 0);
  grid->addWidget(caption_, 0, 1);
  grid->addWidget(list_, 1, 0);
  grid->addWidget(data_, 1, 1);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(undeleteSelection_);
  buttons->addWidget(undeleteAll);
  buttons->addStretch();
  buttons->addWidget(close);
  buttons->addWidget(help);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);

  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CViewerDlg::onSelectionChanged);
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { showUnit(current.row()); });
  undeleteSelection_->setEnabled(false);
  if (model_->rowCount() > 0) {
    list_->selectionModel()->setCurrentIndex(model_->index(0), QItemSelectionModel::ClearAndSelect);
    list_->setFocus();
  } else if (!units_.resident.empty()) {
    // A resident file has no units: its bytes are shown at once.
    data_->setBytes(units_.resident);
  }
}

void CViewerDlg::showUnit(int row) {
  if (row < 0) return;
  std::vector<std::uint8_t> bytes;
  // A unit that cannot be read leaves the previous display.
  if (!readFileUnit(entry_, units_, static_cast<std::size_t>(row), bytes)) return;
  caption_->setText(qstr(format(loadString(res::IDS_VIEWER_SHOWING_CLUSTER), units_.units[static_cast<std::size_t>(row)].number)));
  data_->setBytes(std::move(bytes));
}

void CViewerDlg::onSelectionChanged() { undeleteSelection_->setEnabled(list_->selectionModel()->hasSelection()); }

void CViewerDlg::undeleteSelection() {
  QModelIndexList rows = list_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  clusterSelection_.clear();
  for (const QModelIndex& index : rows) clusterSelection_.push_back(units_.units[static_cast<std::size_t>(index.row())].number);
  done(res::IDR_UNDELETE_SELECTION);
}

}  // namespace tarvosk

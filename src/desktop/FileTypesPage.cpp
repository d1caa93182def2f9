#include "desktop/FileTypesPage.h"

#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/TriStateTreeCtrl.h"
#include "res/CommandIds.h"
#include "types/TypeTable.h"

namespace tarvosk {

CFileTypesPage::CFileTypesPage() : types_(filterRegistry()), tree_(new CTriStateTreeCtrl) {
  setTitle(QStringLiteral("选择您想要恢复的文件类型"));
  setObjectId(tree_, res::IDC_FILE_TYPE_TREE);
  tree_->setTypeTree(&types_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_);
  connect(tree_, &CTriStateTreeCtrl::checksChanged, this, &QWizardPage::completeChanged);
}

bool CFileTypesPage::isComplete() const { return types_.anyChecked(); }

bool CFileTypesPage::validatePage() {
  types_.applyTo(filterRegistry());
  return true;
}

}  // namespace tarvosk

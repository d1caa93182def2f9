#include "desktop/ScanWizard.h"

#include "desktop/FileTypesPage.h"
#include "desktop/ObjectIds.h"
#include "desktop/ScanDrivePage.h"
#include "desktop/ScanRangePage.h"
#include "desktop/ScanTypePage.h"
#include "res/CommandIds.h"

namespace tarvosk {

CScanWizard::CScanWizard(QWidget* parent) : QWizard(parent) {
  setObjectName(QStringLiteral("scanWizard"));
  setWindowTitle(QStringLiteral("Tarvosk - 扫描向导"));
  setWizardStyle(QWizard::ClassicStyle);
  setOption(QWizard::NoBackButtonOnStartPage);
  setButtonText(QWizard::BackButton, QStringLiteral("< 上一步(&B)"));
  setButtonText(QWizard::NextButton, QStringLiteral("下一步(&N) >"));
  // Finish shows only where the scan starts: page 2 of a basic scan and page 4.
  setButtonText(QWizard::FinishButton, QStringLiteral("开始"));
  setButtonText(QWizard::CancelButton, QStringLiteral("取消"));
  setPage(res::IDD_WIZARD_SCAN_TYPE, new CScanTypePage(choices_));
  setPage(res::IDD_WIZARD_DRIVE, new CScanDrivePage(choices_));
  setPage(res::IDD_WIZARD_RANGE, new CScanRangePage(choices_));
  setPage(res::IDD_WIZARD_FILE_TYPES, new CFileTypesPage);
  setStartId(res::IDD_WIZARD_SCAN_TYPE);
  for (int id : pageIds()) setObjectId(page(id), static_cast<unsigned>(id));
  // Back from the range page enters the drive page again: its list is refilled as on Next, so
  // it shows the drives attached meanwhile and a drive must be chosen anew.
  connect(this, &QWizard::currentIdChanged, this, [this](int id) {
    if (id == static_cast<int>(res::IDD_WIZARD_DRIVE) && shownId_ == static_cast<int>(res::IDD_WIZARD_RANGE))
      page(id)->initializePage();
    shownId_ = id;
  });
}

}  // namespace tarvosk

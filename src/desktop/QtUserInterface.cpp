#include "desktop/QtUserInterface.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "desktop/QtText.h"
#include "desktop/YesNoDlg.h"

namespace tarvosk {

namespace {

QMessageBox::Icon iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

int QtUserInterface::messageBox(const std::u16string& text, const std::u16string& caption, UINT type) {
  QMessageBox box(iconOf(type), qstr(caption.empty() ? std::u16string(kProgramTitle) : caption), qstr(text),
                  QMessageBox::NoButton, owner_);
  struct Button {
    QString text;
    QMessageBox::ButtonRole role;
    int result;
  };
  std::vector<Button> buttons;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{"确定", QMessageBox::AcceptRole, IDOK}, {"取消", QMessageBox::RejectRole, IDCANCEL}}; break;
    case MB_YESNO: buttons = {{"是(&Y)", QMessageBox::YesRole, IDYES}, {"否(&N)", QMessageBox::NoRole, IDNO}}; break;
    case MB_YESNOCANCEL:
      buttons = {{"是(&Y)", QMessageBox::YesRole, IDYES}, {"否(&N)", QMessageBox::NoRole, IDNO}, {"取消", QMessageBox::RejectRole, IDCANCEL}};
      break;
    default: buttons = {{"确定", QMessageBox::AcceptRole, IDOK}}; break;
  }
  std::vector<std::pair<QAbstractButton*, int>> results;
  for (const Button& b : buttons) results.emplace_back(box.addButton(b.text, b.role), b.result);
  // Esc and the close box answer as Cancel where there is one, else as the last button.
  box.setEscapeButton(results.back().first);
  box.exec();
  for (const auto& [button, result] : results)
    if (box.clickedButton() == button) return result;
  return results.back().second;
}

OverwriteAnswer QtUserInterface::askOverwrite(const std::u16string& prompt) {
  CYesNoDlg dialog(qstr(prompt), owner_);
  switch (dialog.exec()) {
    case CYesNoDlg::kYes: return OverwriteAnswer::Yes;
    case CYesNoDlg::kYesToAll: return OverwriteAnswer::YesToAll;
    default: return OverwriteAnswer::No;
  }
}

bool QtUserInterface::browseForFolder(const std::u16string& title, const std::u16string& initialFolder,
                                      std::u16string& chosen) {
  const QString folder = QFileDialog::getExistingDirectory(owner_, qstr(title), qstr(initialFolder));
  if (folder.isEmpty()) return false;
  chosen = u16(folder);
  return true;
}

}  // namespace tarvosk

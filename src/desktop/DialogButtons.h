// The OK and Cancel buttons of the program's dialogs: "确定" (control 1) and "取消" (control 2),
// wired to the dialog's accept and reject.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "desktop/ObjectIds.h"
#include "res/CommandIds.h"

namespace tarvosk {

inline QDialogButtonBox* okCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  setObjectId(buttons->button(QDialogButtonBox::Ok), res::IDOK_BUTTON);
  setObjectId(buttons->button(QDialogButtonBox::Cancel), res::IDCANCEL_BUTTON);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace tarvosk

#include "desktop/YesNoDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "res/CommandIds.h"

namespace tarvosk {

CYesNoDlg::CYesNoDlg(const QString& prompt, QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_YES_NO);
  setWindowTitle(QStringLiteral("Tarvosk"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);
  // The caller's prompt stands where the dialog's own "文件已经存在。是否覆盖？" would.
  auto* text = new QLabel(prompt, this);
  setObjectId(text, res::IDC_PROMPT_TEXT);
  text->setWordWrap(true);
  text->setMinimumWidth(320);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addWidget(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  struct Button {
    const char16_t* text;
    unsigned id;
    int result;
  };
  for (const Button& b : {Button{u"是(&Y)", res::IDYES_BUTTON, kYes}, Button{u"全部是(&A)", res::IDC_YES_TO_ALL, kYesToAll},
                          Button{u"否(&N)", res::IDNO_BUTTON, kNo}}) {
    auto* button = new QPushButton(QString::fromUtf16(b.text), this);
    setObjectId(button, b.id);
    button->setDefault(b.result == kYes);
    connect(button, &QPushButton::clicked, this, [this, result = b.result] { done(result); });
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
}

}  // namespace tarvosk

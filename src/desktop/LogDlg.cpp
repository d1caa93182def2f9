#include "desktop/LogDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "res/CommandIds.h"

namespace tarvosk {

CLogDlg::CLogDlg(const QString& log, QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_LOG);
  setWindowTitle(QStringLiteral("Tarvosk"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* text = new QPlainTextEdit(this);
  setObjectId(text, res::IDC_RECOVERY_LOG);
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The log's lines end in CR LF, as the engine writes them.
  text->setPlainText(QString(log).remove(QLatin1Char('\r')));
  text->setMinimumSize(460, 220);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  setObjectId(close, res::IDOK_BUTTON);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("操作期间遇到一个或多个错误。"), this));
  layout->addWidget(text);
  layout->addLayout(buttons);
}

}  // namespace tarvosk

#include "desktop/PreviewDlg.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/ObjectIds.h"
#include "desktop/PictureImage.h"
#include "res/CommandIds.h"

namespace tarvosk {

CPreviewDlg::CPreviewDlg(QWidget* parent) : QDialog(parent) {
  setObjectId(this, res::IDD_PREVIEW);
  setWindowTitle(QStringLiteral("图片预览"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);
  control_ = new PictureControl(this);
  setObjectId(control_, res::IDC_PICTURE);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  setObjectId(close, res::IDOK_BUTTON);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(control_, 1);
  layout->addLayout(buttons);
  resize(520, 460);
}

void CPreviewDlg::showPicture(const QString& name, std::span<const std::uint8_t> bytes, PictureFormat format) {
  setWindowTitle(QStringLiteral("Previewing: ") + name);
  control_->setPicture({});
  // A large JPEG is decoded reduced, as long as it still covers the control: the reduction
  // saves a good part of the decoding and most of the scaling.
  control_->setPicture(decodePictureImage(format, bytes, control_->size()));
  control_->repaint();
}

const QImage& CPreviewDlg::picture() const { return control_->picture(); }

PictureControl::PictureControl(QWidget* parent) : QWidget(parent) {
  setMinimumSize(160, 120);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureControl::setPicture(QImage picture) {
  picture_ = std::move(picture);
  fitted_ = fitOnWhite(picture_, size());
  update();
}

QImage PictureControl::shown() const { return fitted_; }

void PictureControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitted_ = fitOnWhite(picture_, size());
}

void PictureControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, fitted_);
}

}  // namespace tarvosk

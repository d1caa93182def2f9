// CPreviewDlg: the modeless picture preview (dialog 241). The main window keeps one open and
// hands it each picture to show; closing it lets the next preview open a new one.
#pragma once

#include <QDialog>
#include <QImage>
#include <cstdint>
#include <span>

#include "viewers/PictureFormat.h"

namespace tarvosk {

class PictureControl;

class CPreviewDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CPreviewDlg(QWidget* parent);

  // Titles the window "Previewing: " and the name, drops the previous picture and shows this one
  // decoded, scaled to fit on white; bytes that do not decode leave the picture empty.
  void showPicture(const QString& name, std::span<const std::uint8_t> bytes, PictureFormat format);
  // The decoded picture (null when the last one did not decode).
  const QImage& picture() const;
  PictureControl* pictureControl() const { return control_; }

 private:
  PictureControl* control_;
};

// The picture control (1055): its picture scaled to its size, aspect kept, on white.
class PictureControl : public QWidget {
  Q_OBJECT

 public:
  explicit PictureControl(QWidget* parent);
  void setPicture(QImage picture);
  const QImage& picture() const { return picture_; }
  // What the control shows at its present size.
  QImage shown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage picture_;
  QImage fitted_;  // picture_ fitted to the control's size, made when the size or picture changes
};

}  // namespace tarvosk

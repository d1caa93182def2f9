// The status bar's caps lock, num lock and scroll lock indicators ("大写", "数字", "滚动"),
// lit while the keyboard's light is on. The lights are read from the kernel's LED class
// (/sys/class/leds/*::capslock and so on) twice a second; where there is none, the indicators
// stay dark.
#pragma once

#include <QLabel>
#include <array>

namespace tarvosk {

class LockIndicators : public QObject {
  Q_OBJECT

 public:
  explicit LockIndicators(QWidget* parent);
  const std::array<QLabel*, 3>& labels() const { return labels_; }
  // Reads the lights again.
  void refresh();

 private:
  std::array<QLabel*, 3> labels_{};
};

}  // namespace tarvosk

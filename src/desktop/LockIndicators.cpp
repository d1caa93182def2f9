#include "desktop/LockIndicators.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace tarvosk {

namespace {

constexpr const char* kTexts[3] = {"大写", "数字", "滚动"};
constexpr const char* kLights[3] = {"capslock", "numlock", "scrolllock"};

// Whether any keyboard's light of that name is on.
bool lightIsOn(const char* light) {
  const QDir leds(QStringLiteral("/sys/class/leds"));
  const QStringList names = leds.entryList({QStringLiteral("*::%1").arg(QLatin1String(light))}, QDir::Dirs | QDir::System);
  for (const QString& name : names) {
    QFile brightness(leds.filePath(name + QStringLiteral("/brightness")));
    if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed().toInt() > 0) return true;
  }
  return false;
}

}  // namespace

LockIndicators::LockIndicators(QWidget* parent) : QObject(parent) {
  for (int i = 0; i < 3; ++i) {
    labels_[static_cast<std::size_t>(i)] = new QLabel(QString::fromUtf8(kTexts[i]), parent);
    labels_[static_cast<std::size_t>(i)]->setAlignment(Qt::AlignCenter);
    labels_[static_cast<std::size_t>(i)]->setMinimumWidth(40);
  }
  refresh();
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, &LockIndicators::refresh);
  timer->start(500);
}

void LockIndicators::refresh() {
  for (int i = 0; i < 3; ++i) labels_[static_cast<std::size_t>(i)]->setEnabled(lightIsOn(kLights[i]));
}

}  // namespace tarvosk

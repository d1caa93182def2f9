// The desktop program's tests: each class runs alone when its name is given, all of them
// otherwise. They run offscreen, in UTC, with their own settings and state folders.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "desktop/GuiTestSupport.h"
#include "device/DeviceMode.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {

std::map<std::string, GuiTestFactory>& guiTests() {
  static std::map<std::string, GuiTestFactory> tests;
  return tests;
}

}  // namespace tarvosk::test

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("TZ", "UTC");
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
  qputenv("XDG_RUNTIME_DIR", (home.path() + "/runtime").toUtf8());
  QApplication app(argc, argv);
  RAW_Initialize();
  tarvosk::registerFileSystemProviders();
  const std::string only = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
  int failures = 0;
  bool ran = false;
  for (const auto& [name, factory] : tarvosk::test::guiTests()) {
    if (!only.empty() && name != only) continue;
    ran = true;
    std::unique_ptr<QObject> test = factory();
    failures += QTest::qExec(test.get(), only.empty() ? 1 : argc - 1, only.empty() ? argv : argv + 1);
  }
  if (!ran) {
    std::cerr << "no test class named " << only << '\n';
    return 2;
  }
  return failures == 0 ? 0 : 1;
}

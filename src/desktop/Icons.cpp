#include "desktop/Icons.h"

#include <QHash>

// The resources of a static library are registered by hand (outside any namespace, as the
// macro wants).
static void registerDesktopResources() { Q_INIT_RESOURCE(desktop); }

namespace tarvosk::icons {

namespace {

// One icon per file, loaded once.
QIcon named(const char* name) {
  static const bool registered = (registerDesktopResources(), true);
  (void)registered;
  static QHash<QString, QIcon> cache;
  const QString key = QString::fromLatin1(name);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.insert(key, QIcon(QStringLiteral(":/icons/%1.svg").arg(key)));
  return *it;
}

}  // namespace

QIcon program() { return named("tarvosk"); }
QIcon drive() { return named("drive"); }
QIcon hardDisk() { return named("harddisk"); }
QIcon folder() { return named("folder"); }
QIcon deletedFolder() { return named("folder-deleted"); }
QIcon file() { return named("file"); }
QIcon search() { return named("search-results"); }
QIcon back() { return named("back"); }
QIcon forward() { return named("forward"); }
QIcon up() { return named("up"); }
QIcon viewPicture() { return named("view-picture"); }
QIcon undelete() { return named("undelete"); }
QIcon searchCommand() { return named("search"); }
QIcon wizard() { return named("wizard"); }

}  // namespace tarvosk::icons

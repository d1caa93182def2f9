// The program's icons: SVG drawings of its own, kept as resources.
#pragma once

#include <QIcon>

namespace tarvosk::icons {

QIcon program();
QIcon drive();
QIcon hardDisk();
QIcon folder();
QIcon deletedFolder();
QIcon file();
QIcon search();
// The toolbar's, by command.
QIcon back();
QIcon forward();
QIcon up();
QIcon viewPicture();
QIcon undelete();
QIcon searchCommand();
QIcon wizard();

}  // namespace tarvosk::icons

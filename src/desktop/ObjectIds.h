// The system's numbers for commands, dialogs and controls, carried by the Qt objects: a widget
// is named "id1019", an action carries its command id as data.
#pragma once

#include <QObject>
#include <QString>

namespace tarvosk {

inline QString objectIdName(unsigned id) { return QStringLiteral("id%1").arg(id); }
inline void setObjectId(QObject* object, unsigned id) { object->setObjectName(objectIdName(id)); }

}  // namespace tarvosk

// The name of the notification that asks every view to redraw: posted after a change of the
// display settings (the preferences window) and by the application's periodic refresh.
#pragma once

#include <QString>

inline const QString OVNotifyRedisplayEverything = QStringLiteral("OVNotifyRedisplayEverything");

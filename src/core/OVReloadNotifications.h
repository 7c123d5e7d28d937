// The names of the two notifications every data client observes: a forced reload at each update
// pass (posted by the weather controller) and a refresh of stale data (posted by no code of the
// system; observed so a caller may ask for it).
#pragma once

#include <QString>

inline const QString OVNotifyForceReload = QStringLiteral("OVNotifyForceReload");
inline const QString OVNotifyLoadDataIfNeeded = QStringLiteral("OVNotifyLoadDataIfNeeded");

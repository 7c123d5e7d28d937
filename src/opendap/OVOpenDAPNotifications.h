// The notification under which the OpenDAP client's downloads report through the shared
// download manager. Every dataset source and array request observes it and keeps only the
// requests whose URL text is its own.
#pragma once

#include <QString>

inline const QString OVNotifyOpenDAPDataLoaded = QStringLiteral("OVNotifyOpenDAPDataLoaded");

// The names of the two notifications every data client observes: a forced reload at each update
// pass (posted by the weather controller) and a refresh of stale data (posted by no code of the
// system; observed so a caller may ask for it). Also the one with which a client says how a
// request of an update ended, so the shell shows a failed update as failed.
#pragma once

#include "platform/OVNotificationCenter.h"

#include <QString>
#include <QVariant>

inline const QString OVNotifyForceReload = QStringLiteral("OVNotifyForceReload");
inline const QString OVNotifyLoadDataIfNeeded = QStringLiteral("OVNotifyLoadDataIfNeeded");

/// A data client's request ended: user info "service" (the service's name for the user) and,
/// only when it failed, "error" (why). Posted on the main thread.
inline const QString OVNotifyUpdateResult = QStringLiteral("OVNotifyUpdateResult");
inline const QString OVUpdateResultServiceKey = QStringLiteral("service");
inline const QString OVUpdateResultErrorKey = QStringLiteral("error");

/// Posts OVNotifyUpdateResult; an empty `error` reports success.
inline void OVPostUpdateResult(const QString &service, const QString &error = QString())
{
    QVariantMap info{{OVUpdateResultServiceKey, service}};
    if (!error.isEmpty())
        info.insert(OVUpdateResultErrorKey, error);
    OVNotificationCenter::defaultCenter().post(OVNotifyUpdateResult, QVariant(), info);
}

// Process-wide helpers: the application identifier, the operating-system version, and two
// helpers on Qt types that the readers of XML and the views share. The debug-logging flag lives
// with the log (platform/OVLog.h: OVDebugLoggingEnabled, OVSetDebugLoggingEnabled).
#pragma once

#include <QDomElement>
#include <QLatin1String>
#include <QRectF>

/// The application's identifier: names its sandbox (Flatpak) folders under ~/.var/app.
inline constexpr QLatin1String OVApplicationIdentifier{"org.nimbrel.NimbrelCore"};

/// The operating system's version as binary-coded decimal with the lowest digit cleared
/// (10.6.8 would be 0x1060); -1 because this platform has no such number.
int OVSystemVersion();

namespace OVXMLElementUtil {
/// The first child element named `name`; a null element when there is none.
QDomElement firstElementWithName(const QDomElement &element, const QString &name);
} // namespace OVXMLElementUtil

namespace OVViewUtil {
/// The rectangle unchanged: views here all share one orientation.
inline QRectF flipRectIfNeeded(const QRectF &rect) { return rect; }
} // namespace OVViewUtil

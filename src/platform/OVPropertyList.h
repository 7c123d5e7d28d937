// Property lists for the caches: XML plists through libplist.
//
// The value model is QVariant: QVariantMap (dict), QVariantList (array), QString (string),
// QDateTime (date, UTC, whole seconds kept with their fraction to the microsecond),
// QByteArray (data), bool, qint64 (integer) and double (real). Binary plists are read too.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace OVPropertyList {

/// The value in a plist document; a null variant (and a log line) when the bytes are not a
/// property list.
QVariant fromData(const QByteArray &bytes);
/// The value as an XML plist document; empty when the value holds a type plists cannot hold.
QByteArray toXml(const QVariant &value);

/// Reads a plist file; a missing file gives a null variant quietly, an unreadable or corrupt one
/// a null variant and a log line. The file is left as it is.
QVariant readFile(const QString &path);
/// Writes the value atomically (a complete new file replaces the old one, or nothing changes).
bool writeFile(const QString &path, const QVariant &value);

} // namespace OVPropertyList

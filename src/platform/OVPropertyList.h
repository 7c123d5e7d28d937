// Property lists for the caches: XML plists through libplist.
//
// The value model is QVariant: QVariantMap (dict), QVariantList (array), QString (string),
// QDateTime (date, UTC), QByteArray (data), bool, qint64 (integer) and double (real). Binary
// plists are read too. Dates: the XML form holds whole seconds (a fraction is dropped, rounding
// down, when written); a binary plist's fraction is read to the millisecond.
//
// Input is checked before libplist parses it: a NUL byte inside an XML document or a NUL
// character inside a binary string (either would abort libplist), a UID node, and nesting
// deeper than 256 levels are refused, so whatever reads can also be written back.
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

/// Reads a plist file; a missing file gives a null variant quietly. A file whose contents are not
/// a readable property list is renamed beside itself (OVFileAside) with a log line, and the
/// result is a null variant: the caller starts empty and its next save writes a fresh file.
/// A file that cannot be opened is left where it is (a log line, a null variant).
QVariant readFile(const QString &path);
/// Writes the value atomically (a complete new file replaces the old one, or nothing changes).
bool writeFile(const QString &path, const QVariant &value);

} // namespace OVPropertyList

// Text forms shared by the OpenDAP client: the date text of titles and cache keys, and the
// fixed-form date patterns of run paths and run lists.
#pragma once

#include <QDateTime>
#include <QString>

#include <unicode/smpdtfmt.h>

#include <memory>

namespace OVOpenDAPText {

/// "yyyy-MM-dd HH:mm:ss +0000" in UTC; null for an invalid date.
QString defaultDateText(const QDateTime &date);

/// An ICU formatter of `pattern` for machine texts: locale "en_US_POSIX", a Gregorian calendar
/// in GMT, not lenient. Null when the pattern is refused. One thread at a time.
std::unique_ptr<icu::SimpleDateFormat> posixGMTFormat(const QString &pattern);

/// The instant `text` names by `format`, the whole text consumed; invalid otherwise.
QDateTime parseWhole(const icu::SimpleDateFormat &format, const QString &text);
/// The date in the format's pattern; empty for an invalid date.
QString format(const icu::SimpleDateFormat &format, const QDateTime &date);

} // namespace OVOpenDAPText

// The journal's date texts in the current locale (ICU): the month header over the calendar and
// the observation time in the inserted conditions table. Main thread only.
#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace NBJournalDateText {

/// "MMMM y" of the calendar's month ("March 2024").
QString monthHeader(int year, int month);
/// Medium date and medium time of `instant` in `zone` ("Mar 5, 2024, 11:00:00 AM").
QString mediumDateTime(const QDateTime &instant, const QTimeZone &zone);

} // namespace NBJournalDateText

// Setting a damaged file aside: a cache or station file that cannot be read is renamed beside
// itself ("<name>.corrupt-<UTC date and time>") so the program can start a fresh one, while the
// damaged bytes stay on disk for the user. Nothing here ever deletes a file.
//
// Any thread; callers make sure nothing else has the file open for writing.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace OVFileAside {

/// The name `path` is renamed to at `when`: "<path>.corrupt-yyyyMMdd-HHmmss" (UTC), with "-2",
/// "-3" ... appended while that name is taken.
QString asideName(const QString &path, const QDateTime &when);

/// Renames `path` (and each existing "<path><suffix>" companion, such as a database's journal,
/// to "<new name><suffix>") and answers the new name; empty when `path` could not be renamed,
/// in which case it is left where it was. Logs neither outcome: the caller says why.
QString setAside(const QString &path, const QStringList &companionSuffixes = {},
                 const QDateTime &when = QDateTime::currentDateTimeUtc());

} // namespace OVFileAside

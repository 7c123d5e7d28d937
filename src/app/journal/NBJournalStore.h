// The journal's files: one entry per day and place in the journal folder.
//
//   "yy-mm-dd ID.rtfd"  a folder holding "TXT.rtf", the entry's text (NBRTFWriter's RTF);
//   "yy-mm-dd ID.txt"   ASCII, the single line "icon=<image name>" when an icon is chosen.
//
// ID is the place's location id (0 without a place). Days are the calendar's year, month and
// day. The names carry a two-digit year, so only 2000..2099 can have entries: any other day has
// none and nothing is ever written or deleted for it.
//
// Nothing here deletes or overwrites what it could not read: an entry it cannot represent
// (not RTF, a picture or attachment, text the editor has no place for, a table too large, a
// read error) loads read-only. Main thread only.
#pragma once

#include "app/journal/CalendarCell.h"

#include <QList>
#include <QString>

#include <memory>

class QTextDocument;

struct NBJournalEntry
{
    /// The entry's text; an empty document when there is no entry.
    std::unique_ptr<QTextDocument> document;
    /// Set when the entry must not be edited or saved; says why.
    QString readOnlyReason;
    /// The settings file's text ("icon=<name>"); empty when there is none.
    QString settings;

    bool readOnly() const { return !readOnlyReason.isEmpty(); }
};

struct NBJournalSaveResult
{
    /// The text or the icon was written (the day now has an entry).
    bool written = false;
    /// Empty on success; otherwise what failed, for the log and the alert.
    QString error;
};

class NBJournalStore
{
public:
    explicit NBJournalStore(QString directory);

    const QString &directory() const { return mDirectory; }

    /// Whether the day can have entries: years 2000..2099.
    static bool canHoldEntries(const CalendarDate &date);
    /// "yy-mm-dd ID.rtfd" and "yy-mm-dd ID.txt".
    static QString entryName(const CalendarDate &date, qint64 locationID);
    static QString settingsName(const CalendarDate &date, qint64 locationID);
    /// The day a file name stands for, when it matches "(\d\d)-(\d\d)-(\d\d) (\d+)\." with a day
    /// that exists and a location number below 2147483647.
    static std::optional<CalendarDate> dateForName(const QString &name);

    /// The days of every file in the folder, in directory order, repeats kept.
    QList<CalendarDate> loadEntryList() const;

    /// The entry of that day and place. A day outside 2000..2099 loads empty and read-only.
    NBJournalEntry load(const CalendarDate &date, qint64 locationID) const;
    /// Stores `document` and the icon: an empty text removes the entry's folder, an empty
    /// `settings` its ".txt". `settings` is "icon=<name>" or empty.
    NBJournalSaveResult save(const CalendarDate &date, qint64 locationID, const QTextDocument &document,
                             const QString &settings) const;

private:
    QString mDirectory;
};

// The table of a place's latest observation that the journal's insert button puts into the
// entry: a label column and a value column, grey borders, white cells, framed by empty
// paragraphs, inserted as one undoable step. Main thread only.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QTimeZone>

class OVWeatherConditions;
class QTextCursor;

class NBJournalConditionsTable
{
public:
    /// Label and value of each row, in order; units from the settings store. The wind-chill and
    /// heat-index rows appear only when both values are present and the reading differs from
    /// the temperature the way it can.
    static QList<QPair<QString, QString>> rows(const OVWeatherConditions &conditions, const QTimeZone &zone);
    /// Inserts "\n\n", the table of `rows` and "\n\n" at the cursor (replacing its selection) in
    /// one edit block; the cursor ends at the start of what was inserted.
    static void insert(QTextCursor &cursor, const QList<QPair<QString, QString>> &rows);
};

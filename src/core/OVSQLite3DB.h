// One SQLite connection to one database file: statements with text parameters, selects as
// strings, dictionaries or key-value objects, a one-transaction batch insert, schema questions,
// and the text forms in which every table of the program stores a date and a zone offset.
//
// Threads: any thread may call anything. Each connection has one recursive lock; every
// operation takes it, and a caller that needs several statements as a unit holds it across them
// with startQueryBlock()/endQueryBlock(). Parameters are always bound as UTF-8 text and results
// read as text; SQLite's column affinity turns them into numbers where the schema says so.
#pragma once

#include "core/OVKeyValue.h"
#include "core/OVKeyValueMap.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

struct sqlite3;

/// Column name -> property key (selects) or property key -> column name (inserts).
using OVKeyMap = QMap<QString, QString>;

class OVSQLite3DB
{
    struct Private
    {
        explicit Private() = default;
    };

public:
    /// How long a statement waits for another connection's lock before it fails with BUSY.
    static constexpr int DefaultBusyTimeoutMs = 5000;

    /// Opens `databasePath` read-only, or read-write creating it when missing. An empty path
    /// logs and gives nullptr; a file that cannot be opened still gives an object whose
    /// connectionOpen() is false.
    static std::shared_ptr<OVSQLite3DB> initWithDatabasePath(const QString &databasePath,
                                                             bool readonly = false);

    explicit OVSQLite3DB(Private, const QString &databasePath, bool readonly);
    ~OVSQLite3DB();
    OVSQLite3DB(const OVSQLite3DB &) = delete;
    OVSQLite3DB &operator=(const OVSQLite3DB &) = delete;

    const QString &databasePath() const { return mDatabasePath; }
    bool readonly() const { return mReadonly; }
    bool connectionOpen() const;
    /// The raw handle, for SQLite functions the layer does not wrap (a custom SQL function).
    /// Use it only while holding the lock.
    sqlite3 *database() const { return mDatabase; }

    /// Opens the connection unless open; true when it is open afterwards.
    bool openDatabaseConnection();
    void closeDatabaseConnection();
    /// Sets the busy timeout of the open connection (and of later opens), in milliseconds.
    void setBusyTimeout(int milliseconds);

    /// The connection's recursive lock, for callers that group statements.
    std::recursive_mutex &databaseLock() { return mLock; }
    void startQueryBlock() { mLock.lock(); }
    void endQueryBlock() { mLock.unlock(); }

    /// Runs one statement (stepped once). True only when SQLite answers DONE or ROW; a failed
    /// COMMIT is rolled back and reported as false.
    bool doQuery(const QString &sql, const QStringList &bindParams = {});

    /// First column of every row; SQL NULL reads as "". nullopt on failure.
    std::optional<QStringList> selectStringArrayWithQuery(const QString &sql,
                                                          const QStringList &bindParams = {});

    /// One map per row, column name -> QString; SQL NULL reads as "". nullopt on failure.
    std::optional<QList<QVariantMap>> selectDictionaryArrayWithQuery(
        const QString &sql, const QStringList &bindParams = {});

    /// One new object per row, made by `factory`; each column named in `keyMap` (column name ->
    /// property key) is set as a QString, SQL NULL as a null QVariant. A row whose factory
    /// returns nullptr is skipped. nullopt on failure, an empty key map or an empty factory.
    template <class T>
    std::optional<QList<std::shared_ptr<T>>> selectObjectArrayWithQuery(
        const QString &sql, const QStringList &bindParams, const OVKeyMap &keyMap,
        const std::function<std::shared_ptr<T>()> &factory)
    {
        QList<std::shared_ptr<T>> objects;
        std::function<OVKeyValue *()> makeRow;
        if (factory) {
            makeRow = [&]() -> OVKeyValue * {
                std::shared_ptr<T> object = factory();
                if (!object)
                    return nullptr;
                objects.append(object);
                return object.get();
            };
        }
        if (!selectObjects(sql, bindParams, keyMap, makeRow))
            return std::nullopt;
        return objects;
    }

    /// Inserts every record in one transaction through one prepared
    /// "INSERT INTO table (columns) VALUES (?, ...)". `keyMap` maps property key -> column name.
    /// A value that is nil, the text "NULL", or equal to one of `nullValues` (strings as strings,
    /// numbers numerically) stores SQL NULL; numbers store their shortest round-trip text, dates
    /// stringForDate(). A row refused by a constraint is skipped; any other failure rolls the
    /// whole batch back. True when the transaction committed.
    template <class Record>
    bool insertObjectArray(const QList<Record> &objects, const OVKeyMap &keyMap,
                           const QString &table, const QVariantList &nullValues = {})
    {
        return insertRows(
            objects.size(),
            [&](qsizetype row, const QString &key) { return OVValueForKey(objects[row], key); },
            keyMap, table, nullValues);
    }

    /// insertObjectArray with the keys of the first dictionary as column names.
    bool insertDictionaryArray(const QList<QVariantMap> &dictionaries, const QString &table);

    /// What "PRAGMA quick_check" found: Sound ("ok"), Damaged (it listed problems, or SQLite
    /// called the file corrupt or not a database), or Unknown (it could not run: closed
    /// connection, busy, I/O error).
    enum class FileCheck { Sound, Damaged, Unknown };
    /// Runs the quick check over the whole file; `problem` receives SQLite's first finding or
    /// error message when the file is not sound.
    FileCheck quickCheck(QString *problem = nullptr);

    /// Column names from "pragma table_info"; nullopt when the table has none.
    std::optional<QStringList> columnsInTable(const QString &table);
    bool tableExists(const QString &table);
    bool indexExists(const QString &index);

    /// The instants a date text can hold, 1900-01-01 00:00:00 to 2099-12-31 23:59:59 UTC: one
    /// range for the writer, the readers and the range queries.
    static QDateTime earliestStorableDate();
    static QDateTime latestStorableDate();
    static bool isStorableDate(const QDateTime &date);
    /// "yyyyMMddHHmmss" in UTC, or "0" for an invalid date or one outside the storable range.
    static QString stringForDate(const QDateTime &date);
    /// A range query's bound as date text: the date clamped into the storable range, so a bound
    /// beyond it still selects every stored row on its side. "0" for an invalid date.
    static QString stringForBound(const QDateTime &date);
    /// The instant of a date text (UTC); invalid when the text is no date or names one outside
    /// the storable range. Well-formed texts are read digit by digit with lenient components
    /// (day 30 of February is 1 March).
    static QDateTime dateForString(const QString &text);
    /// The instant of a date text that arrives from elsewhere (a report's time): valid only when
    /// the text names a real calendar date in the storable range, that is, when it is exactly
    /// what stringForDate() writes for that instant.
    static QDateTime exactDateForString(const QString &text);
    /// The zone's current offset from GMT as the integer HHMMSS, floored for negative offsets
    /// (-3:30 gives "-37000").
    static QString offsetStringForTimeZone(const QTimeZone &zone);

private:
    using RowReader = std::function<QVariant(qsizetype row, const QString &key)>;

    bool selectObjects(const QString &sql, const QStringList &bindParams, const OVKeyMap &keyMap,
                       const std::function<OVKeyValue *()> &makeRow);
    bool insertRows(qsizetype count, const RowReader &read, const OVKeyMap &keyMap,
                    const QString &table, const QVariantList &nullValues);

    const QString mDatabasePath;
    const bool mReadonly;
    mutable std::recursive_mutex mLock;
    sqlite3 *mDatabase = nullptr;
    int mBusyTimeoutMs = DefaultBusyTimeoutMs;
};

// One SQLite connection: opening, statements, selects, the batch insert and schema questions.
// The date and offset texts live in OVSQLite3DBDateText.cpp.
#include "core/OVSQLite3DB.h"

#include "platform/OVValueConversion.h"

#include "platform/OVLog.h"

#include <sqlite3.h>

#include <charconv>
#include <memory>

namespace {

// A prepared statement, finalized when it goes out of scope (every exit path, failures included).
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        mResult = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &mStmt,
                                     nullptr);
    }
    ~Statement() { finalize(); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return mResult == SQLITE_OK && mStmt; }
    sqlite3_stmt *get() const { return mStmt; }
    void finalize()
    {
        sqlite3_finalize(mStmt);
        mStmt = nullptr;
    }

    // Binds every parameter as text; false when the counts differ.
    bool bind(const QStringList &params)
    {
        if (sqlite3_bind_parameter_count(mStmt) != params.size())
            return false;
        for (int i = 0; i < params.size(); ++i) {
            const QByteArray utf8 = params[i].toUtf8();
            sqlite3_bind_text(mStmt, i + 1, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
        return true;
    }

    QString text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(mStmt, column));
        return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(mStmt, column)) : QString("");
    }

private:
    sqlite3_stmt *mStmt = nullptr;
    int mResult = SQLITE_ERROR;
};

QString errorText(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Prepares and binds a statement for `operation`, logging the two ways that can fail (as
// "[OVSQLite3DB <operation>] ..."); nullptr then.
std::unique_ptr<Statement> prepareAndBind(sqlite3 *db, const QString &sql,
                                          const QStringList &bindParams, const char *operation)
{
    auto statement = std::make_unique<Statement>(db, sql);
    if (!statement->prepared()) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB %1] Failed to prepare query: %2.  Error: %3")
                       .arg(QLatin1String(operation), sql, errorText(db)));
        return nullptr;
    }
    if (!statement->bind(bindParams)) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB %1] Failed to execute query: %2.  Wrong number "
                                  "of bind parameters.")
                       .arg(QLatin1String(operation), sql));
        return nullptr;
    }
    return statement;
}

// Failures that mean a change did not reach the file whatever the statement (a full disk, a
// read-only or damaged file, an I/O error): the user needs to see these, with SQLite's reason.
bool losesWrite(int result)
{
    switch (result & 0xff) {
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_NOMEM:
        return true;
    default:
        return false;
    }
}

bool isCommit(const QString &sql)
{
    const QString word = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    return word == QLatin1String("COMMIT") || word == QLatin1String("END");
}

template <class Number>
QString shortestText(Number value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

bool isNumber(const QVariant &value)
{
    return value.metaType().id() == QMetaType::Bool || OVValueConversion::isNumber(value);
}

bool isString(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QString;
}

// The text a value is stored as: numbers in their own type's shortest round-trip form in the C
// locale (a float 72.1 is "72.1", not 72.0999...), dates as the date text.
QString numberText(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Float:
        return shortestText(value.toFloat());
    case QMetaType::Double:
        return shortestText(value.toDouble());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::UShort:
        return QString::number(value.toULongLong());
    default:
        return QString::number(value.toLongLong());
    }
}

const QString NullMarker = QStringLiteral("NULL");

// The bind text of one value, or the marker "NULL" for SQL NULL.
QString insertText(const QVariant &value, const QVariantList &nullValues)
{
    if (!value.isValid() || value.isNull())
        return NullMarker;
    for (const QVariant &nullValue : nullValues) {
        if (isString(value) && isString(nullValue) && value.toString() == nullValue.toString())
            return NullMarker;
        if (isNumber(value) && isNumber(nullValue) && value.toDouble() == nullValue.toDouble())
            return NullMarker;
    }
    if (isString(value))
        return value.toString();
    if (isNumber(value))
        return numberText(value);
    if (value.metaType().id() == QMetaType::QDateTime)
        return OVSQLite3DB::stringForDate(value.toDateTime());
    return value.toString();
}

} // namespace

std::shared_ptr<OVSQLite3DB> OVSQLite3DB::initWithDatabasePath(const QString &databasePath,
                                                               bool readonly)
{
    if (databasePath.isEmpty()) {
        OVDebugLog("[OVSQLite3DB initWithDatabasePath] Trying to initialize with a nil database "
                   "path.");
        return nullptr;
    }
    return std::make_shared<OVSQLite3DB>(Private(), databasePath, readonly);
}

OVSQLite3DB::OVSQLite3DB(Private, const QString &databasePath, bool readonly)
    : mDatabasePath(databasePath)
    , mReadonly(readonly)
{
    openDatabaseConnection();
}

OVSQLite3DB::~OVSQLite3DB()
{
    closeDatabaseConnection();
}

bool OVSQLite3DB::connectionOpen() const
{
    std::lock_guard lock(mLock);
    return mDatabase != nullptr;
}

bool OVSQLite3DB::openDatabaseConnection()
{
    std::lock_guard lock(mLock);
    if (mDatabase)
        return true;
    const int flags = mReadonly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(mDatabasePath.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB openDatabaseConnection] Failed to open a database "
                                  "connection to '%1'.  Error: %2")
                       .arg(mDatabasePath, errorText(db)));
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, mBusyTimeoutMs);
    mDatabase = db;
    return true;
}

void OVSQLite3DB::closeDatabaseConnection()
{
    std::lock_guard lock(mLock);
    if (!mDatabase)
        return;
    sqlite3_close_v2(mDatabase);
    mDatabase = nullptr;
}

void OVSQLite3DB::setBusyTimeout(int milliseconds)
{
    std::lock_guard lock(mLock);
    mBusyTimeoutMs = milliseconds;
    if (mDatabase)
        sqlite3_busy_timeout(mDatabase, milliseconds);
}

bool OVSQLite3DB::doQuery(const QString &sql, const QStringList &bindParams)
{
    std::lock_guard lock(mLock);
    if (!mDatabase || sql.isEmpty())
        return false;
    const auto statementPtr = prepareAndBind(mDatabase, sql, bindParams, "doQuery");
    if (!statementPtr)
        return false;
    Statement &statement = *statementPtr;
    const int result = sqlite3_step(statement.get());
    if (result == SQLITE_DONE || result == SQLITE_ROW)
        return true;
    const QString error = errorText(mDatabase);
    statement.finalize();
    if (isCommit(sql) && !sqlite3_get_autocommit(mDatabase)) {
        // A COMMIT that failed (BUSY, FULL, IOERR) leaves the transaction open, and every later
        // write would join it and be lost with it: end it here.
        sqlite3_exec(mDatabase, "ROLLBACK TRANSACTION", nullptr, nullptr, nullptr);
        OVLog(QStringLiteral("[OVSQLite3DB doQuery] Failed to commit: %1.  Error: %2.  The "
                             "transaction was rolled back.")
                  .arg(sql, error));
        return false;
    }
    const QString line = QStringLiteral("[OVSQLite3DB doQuery] Failed to execute query: %1.  Error: %2").arg(sql, error);
    if (losesWrite(result))
        OVLog(line);
    else
        OVDebugLog(line);
    return false;
}

std::optional<QStringList> OVSQLite3DB::selectStringArrayWithQuery(const QString &sql,
                                                                   const QStringList &bindParams)
{
    std::lock_guard lock(mLock);
    if (!mDatabase)
        return std::nullopt;
    const auto statementPtr = prepareAndBind(mDatabase, sql, bindParams, "selectStringArrayWithQuery");
    if (!statementPtr)
        return std::nullopt;
    Statement &statement = *statementPtr;
    QStringList strings;
    if (sqlite3_column_count(statement.get()) == 0)
        return strings;
    strings.reserve(50);
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW)
        strings.append(statement.text(0));
    if (result != SQLITE_DONE) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB selectStringArrayWithQuery] Failed to execute "
                                  "query: %1.  Error: %2")
                       .arg(sql, errorText(mDatabase)));
        return std::nullopt;
    }
    return strings;
}

std::optional<QList<QVariantMap>> OVSQLite3DB::selectDictionaryArrayWithQuery(
    const QString &sql, const QStringList &bindParams)
{
    std::lock_guard lock(mLock);
    if (!mDatabase)
        return std::nullopt;
    const auto statementPtr = prepareAndBind(mDatabase, sql, bindParams, "selectDictionaryArrayWithQuery");
    if (!statementPtr)
        return std::nullopt;
    Statement &statement = *statementPtr;
    QList<QVariantMap> rows;
    rows.reserve(50);
    QStringList columns;
    const int columnCount = sqlite3_column_count(statement.get());
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (columns.isEmpty()) {
            for (int c = 0; c < columnCount; ++c) {
                const char *name = sqlite3_column_name(statement.get(), c);
                if (!name)
                    return std::nullopt;
                columns.append(QString::fromUtf8(name));
            }
        }
        QVariantMap row;
        for (int c = 0; c < columnCount; ++c)
            row.insert(columns[c], statement.text(c));
        rows.append(row);
    }
    if (result != SQLITE_DONE) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB selectDictionaryArrayWithQuery] Failed to "
                                  "execute query: %1.  Error: %2")
                       .arg(sql, errorText(mDatabase)));
        return std::nullopt;
    }
    return rows;
}

bool OVSQLite3DB::selectObjects(const QString &sql, const QStringList &bindParams,
                                const OVKeyMap &keyMap,
                                const std::function<OVKeyValue *()> &makeRow)
{
    if (keyMap.isEmpty()) {
        OVDebugLog("[OVSQLite3DB selectObjectArrayWithQuery] Need a keymap to select objects from "
                   "the database.");
        return false;
    }
    if (!makeRow) {
        OVDebugLog("[OVSQLite3DB selectObjectArrayWithQuery] Need a class to select objects from "
                   "the database.");
        return false;
    }
    std::lock_guard lock(mLock);
    if (!mDatabase)
        return false;
    OVDebugLog(QStringLiteral("Executing query: %1").arg(sql));
    const auto statementPtr = prepareAndBind(mDatabase, sql, bindParams, "selectObjectArrayWithQuery");
    if (!statementPtr)
        return false;
    Statement &statement = *statementPtr;
    // Property key of each result column; empty for the columns the key map leaves out.
    QStringList propertyKeys;
    const int columnCount = sqlite3_column_count(statement.get());
    for (int c = 0; c < columnCount; ++c)
        propertyKeys.append(keyMap.value(QString::fromUtf8(sqlite3_column_name(statement.get(), c))));
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
        OVKeyValue *object = makeRow();
        if (!object)
            continue;
        for (int c = 0; c < columnCount; ++c) {
            if (propertyKeys[c].isEmpty())
                continue;
            if (sqlite3_column_type(statement.get(), c) == SQLITE_NULL)
                object->setValue(QVariant(), propertyKeys[c]);
            else
                object->setValue(statement.text(c), propertyKeys[c]);
        }
    }
    if (result != SQLITE_DONE) {
        OVDebugLog(QStringLiteral("[OVSQLite3DB selectObjectArrayWithQuery] Failed to execute "
                                  "query: %1.  Error: %2")
                       .arg(sql, errorText(mDatabase)));
        return false;
    }
    return true;
}

bool OVSQLite3DB::insertRows(qsizetype count, const RowReader &read, const OVKeyMap &keyMap,
                             const QString &table, const QVariantList &nullValues)
{
    std::lock_guard lock(mLock);
    if (!mDatabase) {
        OVDebugLog("[OVSQLite3DB insertObjectArray] Database connection isn't open.");
        return false;
    }
    if (keyMap.isEmpty()) {
        OVDebugLog("[OVSQLite3DB insertObjectArray] Need a keymap to insert objects into the "
                   "database.");
        return false;
    }
    if (table.isEmpty()) {
        OVDebugLog("[OVSQLite3DB insertObjectArray] Need a table name to insert data into!");
        return false;
    }
    const QStringList keys = keyMap.keys();
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table, keyMap.values().join(QLatin1Char(',')),
                                 QStringList(keys.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    if (!doQuery(QStringLiteral("BEGIN TRANSACTION"))) {
        OVLog(QStringLiteral("[OVSQLite3DB insertObjectArray] Could not begin a transaction for "
                             "%1.  Error: %2")
                  .arg(sql, errorText(mDatabase)));
        return false;
    }
    const auto rollBack = [&](const QString &why) {
        OVLog(QStringLiteral("[OVSQLite3DB insertObjectArray] %1 %2.  The batch was rolled back.")
                  .arg(why, sql));
        doQuery(QStringLiteral("ROLLBACK TRANSACTION"));
        return false;
    };
    Statement statement(mDatabase, sql);
    if (!statement.prepared())
        return rollBack(QStringLiteral("Failed to prepare (%1):").arg(errorText(mDatabase)));
    if (sqlite3_bind_parameter_count(statement.get()) != keys.size())
        return rollBack(QStringLiteral("Wrong number of bind parameters:"));

    for (qsizetype row = 0; row < count; ++row) {
        for (int i = 0; i < keys.size(); ++i) {
            const QString text = insertText(read(row, keys[i]), nullValues);
            if (text == NullMarker) {
                sqlite3_bind_null(statement.get(), i + 1);
            } else {
                const QByteArray utf8 = text.toUtf8();
                sqlite3_bind_text(statement.get(), i + 1, utf8.constData(),
                                  static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            }
        }
        const int result = sqlite3_step(statement.get());
        if (result == SQLITE_CONSTRAINT) {
            // A row already stored (a re-sent observation) is left out; the batch goes on.
            OVDebugLog(QStringLiteral("[OVSQLite3DB insertObjectArray] Row %1 skipped: %2")
                           .arg(row)
                           .arg(errorText(mDatabase)));
        } else if (result != SQLITE_DONE) {
            const QString error = errorText(mDatabase);
            statement.finalize();
            return rollBack(QStringLiteral("Failed to insert row %1 (%2):").arg(row).arg(error));
        }
        sqlite3_reset(statement.get());
        sqlite3_clear_bindings(statement.get());
    }
    statement.finalize();
    return doQuery(QStringLiteral("COMMIT TRANSACTION"));
}

bool OVSQLite3DB::insertDictionaryArray(const QList<QVariantMap> &dictionaries,
                                        const QString &table)
{
    if (dictionaries.isEmpty()) {
        OVDebugLog("[OVSQLite3DB insertDictionaryArray] Nothing to insert.");
        return false;
    }
    OVKeyMap keyMap;
    for (const QString &key : dictionaries.first().keys())
        keyMap.insert(key, key);
    return insertObjectArray(dictionaries, keyMap, table);
}

OVSQLite3DB::FileCheck OVSQLite3DB::quickCheck(QString *problem)
{
    std::lock_guard lock(mLock);
    if (!mDatabase)
        return FileCheck::Unknown;
    const auto failed = [&](int result) {
        if (problem)
            *problem = errorText(mDatabase);
        const int primary = result & 0xff;
        return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ? FileCheck::Damaged : FileCheck::Unknown;
    };
    Statement statement(mDatabase, QStringLiteral("PRAGMA quick_check"));
    if (!statement.prepared())
        return failed(sqlite3_errcode(mDatabase));
    QStringList findings;
    int result;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW)
        findings.append(statement.text(0));
    if (result != SQLITE_DONE)
        return failed(result);
    if (findings == QStringList{QStringLiteral("ok")})
        return FileCheck::Sound;
    if (problem)
        *problem = findings.value(0);
    return FileCheck::Damaged;
}

std::optional<QStringList> OVSQLite3DB::columnsInTable(const QString &table)
{
    const auto rows = selectDictionaryArrayWithQuery(QStringLiteral("pragma table_info(%1)").arg(table));
    if (!rows || rows->isEmpty())
        return std::nullopt;
    QStringList columns;
    columns.reserve(10);
    for (const QVariantMap &row : *rows)
        columns.append(row.value(QStringLiteral("name")).toString());
    return columns;
}

bool OVSQLite3DB::tableExists(const QString &table)
{
    const auto rows = selectStringArrayWithQuery(QStringLiteral("pragma table_info(%1)").arg(table));
    return rows && !rows->isEmpty();
}

bool OVSQLite3DB::indexExists(const QString &index)
{
    const auto rows = selectStringArrayWithQuery(QStringLiteral("pragma index_info(%1)").arg(index));
    return rows && !rows->isEmpty();
}

// Fuzz target for location search terms over a small location database built from the test
// packages by the project's build script. The typed text is a term, not a pattern: every row of
// the answer must hold the term (cut at a NUL, and before a comma at index 3 or later) at the
// start of the column the search looks in: city, state name, country name or station code for
// text with a letter, a postal code otherwise, compared without ASCII case as the database does.
// A crash, sanitizer report, hang or a row without the term is a finding.
#include "FuzzSupport.h"
#include "core/OVKeyValueMap.h"
#include "core/OVLocationDB.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>

namespace {

struct Fixture
{
    QTemporaryDir folder;
    std::shared_ptr<OVLocationDB> db;
    sqlite3 *check = nullptr;

    Fixture()
    {
        const QString path = folder.filePath(QStringLiteral("location.db"));
        const QString source = QStringLiteral(NIMBREL_SOURCE_DIR);
        QProcess build;
        build.start(QStringLiteral("node"), {source + QStringLiteral("/tools/locationdb/build-location-db.js"),
                                             QStringLiteral("--input"), source + QStringLiteral("/tests/data/core/locationdb"),
                                             QStringLiteral("--out"), path});
        FuzzSupport::require(build.waitForFinished(120000) && build.exitCode() == 0, "the location database was not built");
        OVLocationDB::setLocalDBPath(QString());
        OVLocationDB::setLocationFactory([] { return std::make_shared<OVKeyValueMap>(); });
        db = OVLocationDB::initWithDatabasePath(path);
        FuzzSupport::require(db->databaseReady(), "the location database is not ready");
        FuzzSupport::require(sqlite3_open_v2(path.toUtf8().constData(), &check, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
                             "the location database cannot be opened for the check");
    }

    // The values of one column-list query for a place id.
    QStringList values(const char *sql, const QVariant &id) const
    {
        QStringList found;
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(check, sql, -1, &statement, nullptr) != SQLITE_OK)
            return found;
        sqlite3_bind_int64(statement, 1, id.toLongLong());
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
                found.append(text ? QString::fromUtf8(text) : QString());
            }
        }
        sqlite3_finalize(statement);
        return found;
    }
};

QString asciiFolded(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return folded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzSupport::ensureApplication();
    static Fixture fixture;
    const QString text = FuzzSupport::text(data, size);
    const auto rows = fixture.db->weatherLocationsForSearchTerm(text);
    if (!rows || rows->isEmpty())
        return 0;

    QString term = text.left(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
    if (const qsizetype comma = term.indexOf(QLatin1Char(',')); comma >= 3)
        term = term.left(comma);
    const bool hasLetter = std::any_of(term.cbegin(), term.cend(), [](QChar c) { return c.isLetter(); });
    const QString folded = asciiFolded(term);
    for (const QVariantMap &row : *rows) {
        const QVariant id = row.value(QStringLiteral("location_id"));
        const QStringList columns =
            hasLetter ? fixture.values("select city, state_name, country_name, icao from location_search "
                                       "where location_id = ?",
                                       id)
                      : fixture.values("select zip_code from zip_code where location_id = ?", id);
        const bool holds = std::any_of(columns.cbegin(), columns.cend(),
                                       [&folded](const QString &column) { return asciiFolded(column).startsWith(folded); });
        if (!holds)
            std::fprintf(stderr, "term \"%s\": row %s\n", qPrintable(term), qPrintable(columns.join(QLatin1Char('|'))));
        FuzzSupport::require(holds, "a row without the term");
    }
    return 0;
}

// A station file survives its writer being killed at any moment: a child process stores batches
// (and rebuilds day buckets and vacuums now and then) until it is killed with SIGKILL at a random
// point; after each round the file passes SQLite's integrity check, every batch the child saw
// committed is there, and no batch is there in part.
#include "ObservationTestSupport.h"
#include "weather/OVObservationStationDB.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace ObservationTest;

namespace {

constexpr int RowsPerBatch = 40;
constexpr int Rounds = 20;

// Batch k: RowsPerBatch rows a minute apart, each carrying k in its sky text.
QList<OVWeatherConditions> batch(int k)
{
    QList<OVWeatherConditions> rows;
    const QDateTime start = utc(2024, 1, 1).addSecs(qint64(k) * RowsPerBatch * 60);
    for (int i = 0; i < RowsPerBatch; ++i)
        rows << record(start.addSecs(60LL * i), i % 30, QString::number(k));
    return rows;
}

// The child: stores batches from `first` on, noting each committed one in `committedLog`, until
// it is killed. Never returns.
[[noreturn]] void storeUntilKilled(const QString &path, const QString &committedLog, int first)
{
    QFile log(committedLog);
    if (!log.open(QIODevice::Append | QIODevice::Unbuffered))
        _exit(2);
    auto station = OVObservationStationDB::initWithPath(path);
    const QTimeZone zone(-18000);
    for (int k = first;; ++k) {
        const QList<OVWeatherConditions> rows = batch(k);
        if (station->insertWeatherConditions(rows))
            log.write(QByteArray::number(k) + '\n');
        if (k % 3 == 0)
            station->updateMinMaxValues(zone, rows.first().date(), rows.last().date());
        if (k % 7 == 0)
            station->database()->doQuery(QStringLiteral("VACUUM"));
    }
}

} // namespace

TEST(StationFileKill, EveryCommittedBatchIsWholeAfterTheWriterIsKilledAnywhere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("KDEN.db");
    const QString committedLog = dir.filePath("committed.txt");
    OVObservationStationDB::initWithPath(path).reset(); // the schema, so every round has a table to read
    QRandomGenerator generator(21);
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            storeUntilKilled(path, committedLog, round * 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(generator.bounded(30, 400)));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own with " << status;

        // The shell reads the file as the next program start would (rolling a hot journal back).
        ASSERT_EQ(shell(path, "PRAGMA integrity_check;"), "ok");
        QSet<int> stored;
        for (const QString &line : shell(path, "SELECT sky_cover, count(*) FROM icao_history GROUP BY 1;").split('\n', Qt::SkipEmptyParts)) {
            const QStringList fields = line.split('|');
            EXPECT_EQ(fields.value(1).toInt(), RowsPerBatch) << "batch " << fields.value(0).toStdString() << " in part";
            stored.insert(fields.value(0).toInt());
        }
        for (const QByteArray &line : readFile(committedLog).split('\n')) {
            if (!line.isEmpty())
                EXPECT_TRUE(stored.contains(line.toInt())) << "committed batch " << line.toStdString() << " lost";
        }
    }
}

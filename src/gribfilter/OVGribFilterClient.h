// The client of the public model-data server's grib filter service: it finds the newest run of
// a model product whose final forecast file is published, lists a run's forecast hours, reads a
// file's ".idx" inventory and downloads a subset of one forecast file through a filter script.
//
// It does no transport of its own: every request goes through the data fetcher its owner gives
// it (OVGribFilterQueueFetcher queues them on the program's download queue). Nothing is retried;
// the first failure ends an operation and is its result.
//
// Thread: the client belongs to the thread that made it and is used only there. Each operation
// returns a QFuture that resolves on that thread (its event loop must run); the fetcher may
// answer on any thread. Operations may overlap and do not affect each other. Futures still
// pending when the client is destroyed resolve all the same.
#pragma once

#include "gribfilter/GribFilterService.h"
#include "gribfilter/ModelInventory.h"
#include "gribfilter/ModelRun.h"

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class OVGribFilterClient
{
public:
    /// A reply of the data fetcher. Without a status the reply is not an HTTP one and is taken
    /// as it is.
    struct FetchReply
    {
        QByteArray bytes;
        std::optional<int> httpStatus;
    };

    /// Loads a URL. The description says what is being fetched; the expected size is 0 for
    /// listings and inventories and an estimate for model data. Transport failures are the
    /// future's exception and reach the caller unchanged.
    using DataFetcher =
        std::function<QFuture<FetchReply>(const QUrl &url, const QString &description, qint64 expectedSize)>;

    /// The client's own failures.
    class Error : public std::runtime_error
    {
    public:
        enum class Case { invalidResponse, noCompleteRunFound, noForecastHoursFound, invalidData, invalidURL };

        static Error invalidResponse(int statusCode);
        static Error noCompleteRunFound();
        static Error noForecastHoursFound();
        static Error invalidData();
        static Error invalidURL();

        Case errorCase() const { return mCase; }
        /// The HTTP status of `invalidResponse`; 0 for the other cases.
        int statusCode() const { return mStatusCode; }

    private:
        Error(Case errorCase, int statusCode, const std::string &message);
        Case mCase;
        int mStatusCode;
    };

    /// A destination file that could not be written. Nothing partial is left behind.
    class WriteError : public std::runtime_error
    {
    public:
        WriteError(const QString &path, const QString &reason);
        QString path() const { return mPath; }

    private:
        QString mPath;
    };

    OVGribFilterClient(DataFetcher dataFetcher, const QUrl &baseURL);
    ~OVGribFilterClient();
    OVGribFilterClient(const OVGribFilterClient &) = delete;
    OVGribFilterClient &operator=(const OVGribFilterClient &) = delete;

    /// The root of the public model-data server: the stored "OVModelDataServerURL", else the
    /// registered default, without a trailing "/". Read afresh on every call.
    static QUrl defaultBaseURL();

    QUrl baseURL() const;

    /// The newest run whose final forecast file is listed: dates newest first, cycle hours
    /// highest first. Fails with `noCompleteRunFound` when no candidate is complete.
    QFuture<ModelRun> fetchLatestCompleteRun(const ModelConfiguration &configuration) const;
    /// The run's forecast files by increasing hour; `noForecastHoursFound` when none is listed.
    QFuture<QList<ForecastHour>> fetchForecastHours(const ModelRun &run) const;
    /// The inventory of one file of the run (without a forecast hour: the file of hour 0).
    QFuture<ModelInventory> fetchInventory(const ModelRun &run,
                                           const std::optional<ForecastHour> &forecastHour = std::nullopt) const;
    /// The chosen fields of one forecast file. With a destination (a file URL) the bytes are also
    /// written there when its folder exists; a missing folder is logged and the write skipped.
    QFuture<QByteArray> fetchModelData(const ModelRun &run, const ForecastHour &forecastHour,
                                       const QList<ModelVariableLevel> &variables,
                                       const std::optional<QUrl> &destination = std::nullopt) const;
    /// One request whose reply must be UTF-8 text (`invalidData` otherwise).
    QFuture<QString> fetchString(const QUrl &url, const QString &description) const;
    /// One request for bytes; an HTTP status outside 200-299 gives `invalidResponse`.
    QFuture<QByteArray> fetchData(const QUrl &url, const QString &description, qint64 expectedSize) const;

    /// Whether the run directory's listing names the file of `configuration`'s final forecast
    /// hour for cycle `hour`.
    static bool isRunComplete(const QString &listing, const ModelConfiguration &configuration, int hour);

    struct State;

private:
    std::shared_ptr<State> mState;
};

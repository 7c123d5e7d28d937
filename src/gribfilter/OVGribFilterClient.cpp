#include "gribfilter/OVGribFilterClient.h"

#include "core/NBRegisteredDefaults.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QFileInfo>
#include <QObject>
#include <QPromise>
#include <QSaveFile>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>

using Error = OVGribFilterClient::Error;
using FetchReply = OVGribFilterClient::FetchReply;

// The client's two constant fields and the object that carries its continuations to its
// thread. Every pending continuation holds the state, so the context outlives them all even
// when the client itself is gone.
struct OVGribFilterClient::State
{
    struct DeleteOnItsThread
    {
        void operator()(QObject *object) const
        {
            if (QThread::currentThread() == object->thread())
                delete object;
            else
                object->deleteLater();
        }
    };

    DataFetcher fetcher;
    QUrl baseURL;
    std::unique_ptr<QObject, DeleteOnItsThread> context{new QObject};
};

namespace {

using StatePtr = std::shared_ptr<const OVGribFilterClient::State>;

template <typename T>
QFuture<T> failedFuture(const std::exception_ptr &error)
{
    QPromise<T> promise;
    QFuture<T> future = promise.future();
    promise.start();
    promise.setException(error);
    promise.finish();
    return future;
}

QString urlText(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

// --- Single requests -----------------------------------------------------------------------

QFuture<QByteArray> fetchData(const StatePtr &state, const QUrl &url, const QString &description, qint64 expectedSize)
{
    QFuture<FetchReply> reply;
    try {
        reply = state->fetcher(url, description, expectedSize);
    } catch (...) {
        return failedFuture<QByteArray>(std::current_exception());
    }
    return reply.then(state->context.get(), [state, url](const FetchReply &answer) {
        if (answer.httpStatus && (*answer.httpStatus < 200 || *answer.httpStatus > 299)) {
            OVLog(QStringLiteral("[OVGribFilterClient fetchData] HTTP status %1 for %2")
                      .arg(*answer.httpStatus)
                      .arg(urlText(url)));
            throw Error::invalidResponse(*answer.httpStatus);
        }
        return answer.bytes;
    });
}

QFuture<QString> fetchString(const StatePtr &state, const QUrl &url, const QString &description)
{
    return fetchData(state, url, description, 0).then(state->context.get(), [state, url](const QByteArray &bytes) {
        // Stateless: a character cut off at the end counts as an error, not as pending input.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError()) {
            OVLog(QStringLiteral("[OVGribFilterClient fetchString] The reply of %1 is not UTF-8 text.")
                      .arg(urlText(url)));
            throw Error::invalidData();
        }
        return text;
    });
}

// --- The run search ------------------------------------------------------------------------

// One search: the configuration and the dates of its model folder, newest first.
struct RunSearch
{
    StatePtr state;
    ModelConfiguration configuration;
    QStringList dates;

    QString description(const char *what) const { return QLatin1String(what) + configuration.displayName; }
};
using SearchPtr = std::shared_ptr<const RunSearch>;

QFuture<ModelRun> searchDate(const SearchPtr &search, qsizetype dateIndex);

QFuture<ModelRun> foundRun(ModelRun run)
{
    return QtFuture::makeReadyFuture(std::move(run));
}

// Tries the cycle hours of one date, highest first, each in its own run folder.
QFuture<ModelRun> searchCycle(const SearchPtr &search, qsizetype dateIndex, const QList<int> &hours,
                              qsizetype hourIndex)
{
    if (hourIndex >= hours.size())
        return searchDate(search, dateIndex + 1);
    const ModelRun run{search->configuration, search->dates.at(dateIndex), hours.at(hourIndex)};
    const QUrl url = GribFilterService::runDirectoryURL(search->state->baseURL, run);
    return fetchString(search->state, url, search->description("Fetching run directory for "))
        .then(search->state->context.get(),
              [search, dateIndex, hours, hourIndex, run](const QString &listing) {
                  if (OVGribFilterClient::isRunComplete(listing, run.configuration, run.hour))
                      return foundRun(run);
                  return searchCycle(search, dateIndex, hours, hourIndex + 1);
              })
        .unwrap();
}

// Tries one date; a date without a complete run passes on to the next older one.
QFuture<ModelRun> searchDate(const SearchPtr &search, qsizetype dateIndex)
{
    const ModelConfiguration &configuration = search->configuration;
    if (dateIndex >= search->dates.size()) {
        OVLog(QStringLiteral("[OVGribFilterClient fetchLatestCompleteRun] No complete run of %1 is listed.")
                  .arg(configuration.name));
        return failedFuture<ModelRun>(std::make_exception_ptr(Error::noCompleteRunFound()));
    }
    const QString date = search->dates.at(dateIndex);
    QObject *context = search->state->context.get();
    const QUrl &base = search->state->baseURL;
    if (configuration.hasHourDirectory) {
        const QUrl url = GribFilterService::dateDirectoryURL(base, configuration, date);
        return fetchString(search->state, url, search->description("Fetching cycle directory for "))
            .then(context,
                  [search, dateIndex](const QString &listing) {
                      const QList<int> hours =
                          GribFilterService::parseCycleDirectories(listing, search->configuration.hours);
                      return searchCycle(search, dateIndex, hours, 0);
                  })
            .unwrap();
    }
    // Without hour folders every cycle of the date lies in one folder: one listing answers for
    // all of its hours.
    const QUrl url = GribFilterService::runDirectoryURL(base, ModelRun{configuration, date, 0});
    return fetchString(search->state, url, search->description("Fetching run directory for "))
        .then(context,
              [search, dateIndex, date](const QString &listing) {
                  QList<int> hours = search->configuration.hours;
                  std::sort(hours.begin(), hours.end(), std::greater<>());
                  for (const int hour : hours) {
                      if (OVGribFilterClient::isRunComplete(listing, search->configuration, hour))
                          return foundRun(ModelRun{search->configuration, date, hour});
                  }
                  return searchDate(search, dateIndex + 1);
              })
        .unwrap();
}

void writeDestination(const QUrl &destination, const QByteArray &bytes)
{
    if (!destination.isLocalFile())
        throw OVGribFilterClient::WriteError(destination.toString(), QStringLiteral("not a file URL"));
    const QString path = destination.toLocalFile();
    const QString parent = QFileInfo(path).path();
    if (!QFileInfo(parent).isDir()) {
        OVLog(QStringLiteral("[OVGribFilterClient fetchModelData] Error: parent directory does not exist: %1")
                  .arg(parent));
        return;
    }
    // QSaveFile writes beside the destination and renames only a complete file into place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        OVLog(QStringLiteral("[OVGribFilterClient fetchModelData] Could not write %1: %2").arg(path, reason));
        throw OVGribFilterClient::WriteError(path, reason);
    }
}

} // namespace

// --- Errors --------------------------------------------------------------------------------

OVGribFilterClient::Error::Error(Case errorCase, int statusCode, const std::string &message)
    : std::runtime_error(message)
    , mCase(errorCase)
    , mStatusCode(statusCode)
{
}

Error Error::invalidResponse(int statusCode)
{
    return Error(Case::invalidResponse, statusCode, "invalid response: HTTP status " + std::to_string(statusCode));
}

Error Error::noCompleteRunFound()
{
    return Error(Case::noCompleteRunFound, 0, "no complete run found");
}

Error Error::noForecastHoursFound()
{
    return Error(Case::noForecastHoursFound, 0, "no forecast hours found");
}

Error Error::invalidData()
{
    return Error(Case::invalidData, 0, "invalid data: the reply is not UTF-8 text");
}

Error Error::invalidURL()
{
    return Error(Case::invalidURL, 0, "invalid URL: the filter URL cannot be formed");
}

OVGribFilterClient::WriteError::WriteError(const QString &path, const QString &reason)
    : std::runtime_error(QStringLiteral("cannot write %1: %2").arg(path, reason).toStdString())
    , mPath(path)
{
}

// --- The client ----------------------------------------------------------------------------

OVGribFilterClient::OVGribFilterClient(DataFetcher dataFetcher, const QUrl &baseURL)
    : mState(std::make_shared<State>())
{
    mState->fetcher = std::move(dataFetcher);
    mState->baseURL = baseURL;
}

OVGribFilterClient::~OVGribFilterClient() = default;

QUrl OVGribFilterClient::defaultBaseURL()
{
    const QString key = NBSettingKey::modelDataServerURL;
    QString server = OVUserDefaults::standard().stringForKey(key);
    if (server.isEmpty())
        server = NBRegisteredDefaults::table().value(key).toString();
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return QUrl(server);
}

QUrl OVGribFilterClient::baseURL() const
{
    return mState->baseURL;
}

bool OVGribFilterClient::isRunComplete(const QString &listing, const ModelConfiguration &configuration, int hour)
{
    const QList<ForecastHour> files = GribFilterService::parseForecastHourFiles(
        listing, configuration.filePrefixForCycle(hour), configuration.forecastHourDigits, configuration.fileSuffix);
    return std::any_of(files.begin(), files.end(),
                       [&](const ForecastHour &file) { return file.hour == configuration.finalForecastHour; });
}

QFuture<QByteArray> OVGribFilterClient::fetchData(const QUrl &url, const QString &description,
                                                  qint64 expectedSize) const
{
    return ::fetchData(mState, url, description, expectedSize);
}

QFuture<QString> OVGribFilterClient::fetchString(const QUrl &url, const QString &description) const
{
    return ::fetchString(mState, url, description);
}

QFuture<ModelRun> OVGribFilterClient::fetchLatestCompleteRun(const ModelConfiguration &configuration) const
{
    const StatePtr state = mState;
    const QUrl url = GribFilterService::modelDirectoryURL(state->baseURL, configuration);
    return ::fetchString(state, url, QStringLiteral("Fetching model directory for ") + configuration.displayName)
        .then(state->context.get(),
              [state, configuration](const QString &listing) {
                  auto search = std::make_shared<const RunSearch>(
                      RunSearch{state, configuration,
                                GribFilterService::parseDateDirectories(listing, configuration.directoryName)});
                  return searchDate(search, 0);
              })
        .unwrap();
}

QFuture<QList<ForecastHour>> OVGribFilterClient::fetchForecastHours(const ModelRun &run) const
{
    const QUrl url = GribFilterService::runDirectoryURL(mState->baseURL, run);
    const QString description = QStringLiteral("Fetching forecast hours for ") + run.configuration.displayName;
    return ::fetchString(mState, url, description)
        .then(mState->context.get(), [state = mState, run](const QString &listing) {
            const ModelConfiguration &configuration = run.configuration;
            QList<ForecastHour> files =
                GribFilterService::parseForecastHourFiles(listing, configuration.filePrefixForCycle(run.hour),
                                                          configuration.forecastHourDigits, configuration.fileSuffix);
            if (files.isEmpty()) {
                OVLog(QStringLiteral("[OVGribFilterClient fetchForecastHours] No forecast file of %1 %2 is listed.")
                          .arg(configuration.name, run.runDateText()));
                throw Error::noForecastHoursFound();
            }
            return files;
        });
}

QFuture<ModelInventory> OVGribFilterClient::fetchInventory(const ModelRun &run,
                                                           const std::optional<ForecastHour> &forecastHour) const
{
    const QString fileName = forecastHour ? forecastHour->fileName : run.configuration.fileNameForCycle(run.hour, 0);
    const QUrl url = GribFilterService::appendingPathComponent(GribFilterService::runDirectoryURL(mState->baseURL, run),
                                                               fileName + QStringLiteral(".idx"));
    const QString description = QStringLiteral("Fetching model inventory for ") + run.configuration.displayName;
    return ::fetchString(mState, url, description).then(mState->context.get(), [state = mState](const QString &text) {
        return GribFilterService::parseInventory(text);
    });
}

QFuture<QByteArray> OVGribFilterClient::fetchModelData(const ModelRun &run, const ForecastHour &forecastHour,
                                                       const QList<ModelVariableLevel> &variables,
                                                       const std::optional<QUrl> &destination) const
{
    QUrl url;
    try {
        url = GribFilterService::filterURL(mState->baseURL, run, forecastHour, variables);
    } catch (const Error &) {
        OVLog(QStringLiteral("[OVGribFilterClient fetchModelData] No filter URL can be made from %1.")
                  .arg(urlText(mState->baseURL)));
        return failedFuture<QByteArray>(std::current_exception());
    }
    const qint64 expectedSize = run.configuration.estimatedBytesPerVariable() * variables.size();
    QStringList names;
    for (const ModelVariableLevel &entry : variables)
        names.append(entry.variable.name);
    const QString description = QStringLiteral("Fetching model data for ") + names.join(QLatin1Char('/'));
    return ::fetchData(mState, url, description, expectedSize)
        .then(mState->context.get(), [state = mState, destination](const QByteArray &bytes) {
            if (destination)
                writeDestination(*destination, bytes);
            return bytes;
        });
}

// The data fetcher of the grib filter client that loads through the program's download queue
// (OVURLManager), so the activity list and the map's loading indicator see every request with
// its description. Each request is queued under OVNotifyGribFilterDataLoaded and its future
// resolves when that notification arrives on the main thread. The expected size is not used.
//
// A reply that arrived resolves the future: a success with its bytes and HTTP status, a
// status of 400 or above with the error body and that status. Every other failure (no answer,
// refused, TLS, a body cut short after its status, the queue's time limit) is a TransportError
// naming the URL.
#pragma once

#include "gribfilter/OVGribFilterClient.h"

#include <QString>
#include <QUrl>

#include <stdexcept>

inline const QString OVNotifyGribFilterDataLoaded = QStringLiteral("OVNotifyGribFilterDataLoaded");

namespace OVGribFilterQueueFetcher {

class TransportError : public std::runtime_error
{
public:
    TransportError(const QUrl &url, const QString &reason);
    QUrl url() const { return mUrl; }

private:
    QUrl mUrl;
};

/// A fetcher over the shared download queue. Callable from any thread.
OVGribFilterClient::DataFetcher dataFetcher();

} // namespace OVGribFilterQueueFetcher

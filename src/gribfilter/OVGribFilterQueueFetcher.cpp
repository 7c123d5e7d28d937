#include "gribfilter/OVGribFilterQueueFetcher.h"

#include "core/remote/OVURLManager.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QPromise>

#include <memory>

namespace OVGribFilterQueueFetcher {

namespace {

using FetchReply = OVGribFilterClient::FetchReply;
using Promise = std::shared_ptr<QPromise<FetchReply>>;

void fail(const Promise &promise, const QUrl &url, const QString &reason)
{
    OVLog(QStringLiteral("[OVGribFilterQueueFetcher] Loading %1 failed: %2")
              .arg(url.toString(QUrl::FullyEncoded), reason));
    promise->setException(std::make_exception_ptr(TransportError(url, reason)));
    promise->finish();
}

// Turns the finished request into the reply or the transport error.
void settle(const Promise &promise, const QUrl &url, const OVURL &request)
{
    const int status = request.httpStatus();
    if (request.dataReady() && !request.errorOccurred()) {
        promise->addResult(FetchReply{request.urlData(), status > 0 ? std::optional<int>(status) : std::nullopt});
        promise->finish();
    } else if (request.errorOccurred() && status >= 400) {
        promise->addResult(FetchReply{request.urlData(), status});
        promise->finish();
    } else {
        fail(promise, url,
             status > 0 ? QStringLiteral("the transfer broke off after HTTP status %1").arg(status)
                        : QStringLiteral("no reply"));
    }
}

} // namespace

TransportError::TransportError(const QUrl &url, const QString &reason)
    : std::runtime_error(
          QStringLiteral("loading %1 failed: %2").arg(url.toString(QUrl::FullyEncoded), reason).toStdString())
    , mUrl(url)
{
}

OVGribFilterClient::DataFetcher dataFetcher()
{
    return [](const QUrl &url, const QString &description, qint64) {
        auto promise = std::make_shared<QPromise<FetchReply>>();
        QFuture<FetchReply> future = promise->future();
        promise->start();
        // The queue refuses what it cannot load without ever answering; never hand it such a URL.
        if (!url.isValid() || url.isRelative() || url.host().isEmpty()) {
            fail(promise, url, QStringLiteral("not a loadable URL"));
            return future;
        }
        const OVURLPtr request = OVURL::createWithURLString(url.toString(QUrl::FullyEncoded));
        const OVURL *key = request.get();
        OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
        // The queue keeps the request alive until it posts; the key only tells our entry apart.
        center.addObserver(key, OVNotifyGribFilterDataLoaded, [promise, url, key](const OVNotification &n) {
            const OVURLPtr finished = n.object.value<OVURLPtr>();
            if (finished.get() != key)
                return;
            OVNotificationCenter::defaultCenter().removeObserver(key, OVNotifyGribFilterDataLoaded);
            settle(promise, url, *finished);
        });
        OVURLManager::sharedURLManager().loadURL(request, description, OVNotifyGribFilterDataLoaded);
        return future;
    };
}

} // namespace OVGribFilterQueueFetcher

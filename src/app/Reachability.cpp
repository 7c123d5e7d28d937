#include "app/Reachability.h"

#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

std::unique_ptr<Reachability> Reachability::reachabilityForInternetConnection(std::unique_ptr<NBReachabilitySource> source)
{
    if (!source)
        source = NBReachabilitySource::networkInformation();
    return std::make_unique<Reachability>(std::move(source));
}

Reachability::Reachability(std::unique_ptr<NBReachabilitySource> source, bool localWiFi)
    : mSource(std::move(source))
    , mLocalWiFi(localWiFi)
{
}

Reachability::~Reachability()
{
    stopNotifer();
}

bool Reachability::startNotifier()
{
    if (!mSource)
        return false;
    stopNotifer();
    mConnection = connect(mSource.get(), &NBReachabilitySource::reachabilityChanged, this, &Reachability::sourceChanged);
    return bool(mConnection);
}

void Reachability::stopNotifer()
{
    if (mConnection)
        disconnect(mConnection);
    mConnection = {};
}

void Reachability::sourceChanged()
{
    OVNotificationCenter::defaultCenter().post(kNetworkReachabilityChangedNotification, QVariant::fromValue(static_cast<QObject *>(this)));
}

uint32_t Reachability::currentFlags() const
{
    using R = QNetworkInformation::Reachability;
    switch (mSource ? mSource->reachability() : R::Unknown) {
    case R::Online:
    case R::Unknown:
        return Reachable;
    case R::Disconnected:
    case R::Local:
    case R::Site:
        return 0;
    }
    return 0;
}

Reachability::NetworkStatus Reachability::currentReachabilityStatus() const
{
    const uint32_t flags = currentFlags();
    return mLocalWiFi ? localWiFiStatusForFlags(flags) : networkStatusForFlags(flags);
}

bool Reachability::connectionRequired() const
{
    return currentFlags() & ConnectionRequired;
}

Reachability::NetworkStatus Reachability::networkStatusForFlags(uint32_t flags)
{
    OVDebugLog(flagStatusLine(flags, "networkStatusForFlags"));
    return (flags & Reachable) && !(flags & ConnectionRequired) ? ReachableViaNetwork : NotReachable;
}

Reachability::NetworkStatus Reachability::localWiFiStatusForFlags(uint32_t flags)
{
    OVDebugLog(flagStatusLine(flags, "localWiFiStatusForFlags"));
    return (flags & Reachable) && (flags & IsDirect) ? ReachableViaNetwork : NotReachable;
}

QString Reachability::flagStatusLine(uint32_t flags, const char *comment)
{
    const auto letter = [flags](uint32_t flag, char c) { return QChar::fromLatin1((flags & flag) ? c : '-'); };
    return QStringLiteral("Reachability Flag Status: %1 %2%3%4%5%6%7 %8")
        .arg(letter(Reachable, 'R'), letter(TransientConnection, 't'), letter(ConnectionRequired, 'c'),
             letter(ConnectionOnTraffic, 'C'), letter(InterventionRequired, 'i'), letter(IsLocalAddress, 'l'),
             letter(IsDirect, 'd'), QString::fromLatin1(comment));
}

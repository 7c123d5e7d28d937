#include "app/NBReachabilitySource.h"

#include "platform/OVLog.h"

std::unique_ptr<NBReachabilitySource> NBReachabilitySource::networkInformation()
{
    return std::make_unique<NBNetworkInformationSource>();
}

NBNetworkInformationSource::NBNetworkInformationSource()
{
    if (QNetworkInformation::loadDefaultBackend() || QNetworkInformation::instance())
        mInformation = QNetworkInformation::instance();
    if (!mInformation) {
        OVDebugLog(QStringLiteral("[Reachability init] No network information backend; the network counts as reachable."));
        return;
    }
    connect(mInformation, &QNetworkInformation::reachabilityChanged, this, &NBReachabilitySource::reachabilityChanged);
}

QNetworkInformation::Reachability NBNetworkInformationSource::reachability() const
{
    return mInformation ? mInformation->reachability() : QNetworkInformation::Reachability::Unknown;
}

// The network monitor: whether the internet can be reached, judged by the flag rules of the
// platform's reachability service and fed by a reachability source (Qt's network information).
// Each change of the source posts "kNetworkReachabilityChangedNotification" with the monitor as
// object (a Reachability*). Main thread only.
//
// Only the internet-connection monitor exists here: watching one host name, one address or the
// link-local network needs a per-host reachability service that Linux does not offer.
#pragma once

#include "app/NBReachabilitySource.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

inline const QString kNetworkReachabilityChangedNotification = QStringLiteral("kNetworkReachabilityChangedNotification");

class Reachability : public QObject
{
    Q_OBJECT

public:
    /// Reachability flags, bit for bit as the platform's reachability service gives them.
    enum Flag : uint32_t {
        TransientConnection = 1u << 0,
        Reachable = 1u << 1,
        ConnectionRequired = 1u << 2,
        ConnectionOnTraffic = 1u << 3,
        InterventionRequired = 1u << 4,
        IsLocalAddress = 1u << 16,
        IsDirect = 1u << 17,
    };
    enum NetworkStatus : int { NotReachable = 0, ReachableViaNetwork = 1 };

    /// The monitor of the internet connection over `source` (null: Qt's network information).
    static std::unique_ptr<Reachability> reachabilityForInternetConnection(std::unique_ptr<NBReachabilitySource> source = nullptr);

    explicit Reachability(std::unique_ptr<NBReachabilitySource> source, bool localWiFi = false);
    ~Reachability() override;

    /// Starts posting the change notification; true when the source could be watched.
    bool startNotifier();
    void stopNotifer();

    /// 0 or 1, by the flag rule that fits this monitor.
    NetworkStatus currentReachabilityStatus() const;
    bool connectionRequired() const;
    /// The source's state as reachability flags: Online and Unknown (also: no backend) are
    /// Reachable; Disconnected, Local and Site are not.
    uint32_t currentFlags() const;

    /// 1 when Reachable is set and ConnectionRequired is clear.
    static NetworkStatus networkStatusForFlags(uint32_t flags);
    /// 1 when both Reachable and IsDirect are set.
    static NetworkStatus localWiFiStatusForFlags(uint32_t flags);
    /// The debug line "Reachability Flag Status: R tcCild <comment>" for the flags.
    static QString flagStatusLine(uint32_t flags, const char *comment);

    bool localWiFiRef() const { return mLocalWiFi; }

private:
    void sourceChanged();

    std::unique_ptr<NBReachabilitySource> mSource;
    bool mLocalWiFi = false;
    QMetaObject::Connection mConnection;
};

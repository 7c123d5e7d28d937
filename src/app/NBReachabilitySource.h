// Where the network monitor learns whether the machine is online: Qt's network information
// backend in the program, a source the test switches by hand in tests. Main thread only.
#pragma once

#include <QNetworkInformation>
#include <QObject>

#include <memory>

class NBReachabilitySource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// The state as Qt names it; Unknown when no backend could be loaded.
    virtual QNetworkInformation::Reachability reachability() const = 0;

    /// Qt's network information (the system's default backend).
    static std::unique_ptr<NBReachabilitySource> networkInformation();

signals:
    void reachabilityChanged();
};

/// Qt's network information. Without a backend the network counts as reachable.
class NBNetworkInformationSource final : public NBReachabilitySource
{
    Q_OBJECT

public:
    NBNetworkInformationSource();
    QNetworkInformation::Reachability reachability() const override;

private:
    QNetworkInformation *mInformation = nullptr;
};

// Helpers of the OpenDAP tests: fixture bytes, the reference values of an ncdump listing, and the
// formula of the handwritten GrADS-shaped dataset (tests/data/opendap/README.md).
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <span>

/// The bytes of tests/data/opendap/<name>.
QByteArray opendapFixture(const QString &name);
inline std::span<const unsigned char> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(bytes.size())};
}

/// The values of each variable in the "data:" part of an ncdump listing, as printed.
QMap<QString, QStringList> dmpValues(const QByteArray &listing);

/// Runs an independent tool (ncdump, sqlite3) with the arguments; its standard output, or a
/// failed test.
QString runTool(const QString &program, const QStringList &arguments);

/// The GrADS-shaped dataset's values at indexes of time, lev, lat and lon.
double gradsTmpprs(int t, int z, int y, int x);
double gradsTime(int t);
inline constexpr double kGradsLevels[4] = {1000.0, 850.0, 500.0, 10.0};
inline double gradsLatitude(int y)
{
    return -90.0 + 45.0 * y;
}
inline double gradsLongitude(int x)
{
    return 45.0 * x;
}

#include "DAP2FixtureServer.h"
#include "core/remote/OVURLManager.h"
#include "opendap/OVOpenDAPSource.h"

#include <atomic>
#include <functional>

/// The DAP2 fixture service with every stored dataset, and a download manager of its own.
struct DAP2Service
{
    DAP2Service();
    /// Stops the server first: its routes call into `dap`.
    ~DAP2Service() { http.stop(); }
    /// A source of `dataset` on the service, not yet gathered.
    OVOpenDAPSourcePtr source(const QString &dataset);
    /// A source of `dataset` after one gather; its `ready` as the gather left it.
    OVOpenDAPSourcePtr gatheredSource(const QString &dataset);
    /// The decoded constraints of the .dods requests for `dataset`, in order.
    QStringList dataConstraints(const QString &dataset) const;
    /// Serves the listing page grads/listings/`file` at `urlPath`, its links pointing here.
    void serveListing(const QString &urlPath, const QString &file);
    /// Serves the product and day pages of GFS 0.25° (days 18 and 19; day 17 stays unserved)
    /// and of NAM (day 19), the
    /// GrADS-shaped datasets as the runs gfs20240319/gfs_0p25_00z and nam20240319/nam_ak_00z,
    /// and makes this server the model-data server of the collections.
    void serveModelServer();

    FixtureHttpServer http;
    DAP2FixtureServer dap{http};
    OVURLManager manager;
};

/// Counts calls of the blocks it hands out.
class BlockCounter
{
public:
    std::function<void()> block()
    {
        return [this] { ++mCalls; };
    }
    int calls() const { return mCalls; }
    /// Runs the event loop until `calls` reached `count` (false on timeout).
    bool waitFor(int count, int timeoutMs = 10000) const;

private:
    std::atomic<int> mCalls{0};
};

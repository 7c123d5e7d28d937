// A DAP2 service for the tests, on the loopback HTTP fixture server. It serves X.dds, X.das and
// X.dods of stored datasets in the real wire format; a constrained X.dods is cut from the stored
// reply by DAP2's projection rules, written here apart from the client code under test:
//
//   v, v[i], v[a:b], v[a:s:b], comma lists; brackets raw or percent-encoded.
//   A top-level name gives that variable (a Grid: its array and its maps, cut alike).
//   "grid.array", and a Grid's array name alone (a leaf match), give the array alone, declared
//   inside a Structure named like the Grid. Any other name: 400 with a DAP2 Error object.
//
// Switches make a document misbehave for the next requests: an HTTP status, a held reply,
// garbage, bytes cut from the end, one row of the first array missing, no "Data:" line.
#pragma once

#include "support/FixtureHttpServer.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <memory>
#include <mutex>

class DAP2FixtureServer
{
public:
    struct Switches
    {
        int status = 0;                    // answer with this status and an Error object
        std::shared_ptr<FixtureGate> gate; // hold the reply until the gate opens
        bool garbage = false;              // bytes that are no document and no reply
        int cutBytes = 0;                  // drop this many bytes from the end
        bool oneRowFewer = false;          // the first array lacks its last row (counts unchanged)
        bool noSeparator = false;          // no "Data:" line between header and XDR
        int times = -1;                    // requests they apply to; -1: every one
    };

    explicit DAP2FixtureServer(FixtureHttpServer &http);

    /// Serves `name`.dds, .das and .dods from the files `folder`/`name`.*, at "/`name`.*" or,
    /// when given, at "`urlPath`.*" (a run's path on a listing server).
    void serveDataset(const QString &name, const QString &folder, const QString &urlPath = QString());
    /// Switches for one document path, for example "/ingrid.das".
    void setSwitches(const QString &path, const Switches &switches);
    QString baseUrl(const QString &name) const;

    /// The .dods reply for a constraint (percent-encoded or not; empty: the stored reply), or a
    /// 400 with an Error object.
    static FixtureResponse dataResponse(const QByteArray &stored, const QString &constraint);
    /// The structure document of a constrained reply.
    static FixtureResponse structureResponse(const QByteArray &storedReply, const QString &constraint);

private:
    FixtureResponse answer(const QString &path, const QString &file, const QString &kind, const QString &query);

    FixtureHttpServer &mHttp;
    std::mutex mMutex;
    QMap<QString, Switches> mSwitches;
};

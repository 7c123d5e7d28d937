// A request for a subset of one variable from a dataset's ".dods" service: chosen indexes become
// a DAP2 constraint expression, the XDR reply becomes one array of doubles per value of the
// variable's response order (the array, then its axes).
//
// Started once; it is in progress until a reply parses (`ready`) or it gives up. A reply whose
// array layout does not fit is downloaded once more. The completion block is called once, on a
// pool thread (or on the caller's thread when no URL can be built). Queued work holds a
// shared_ptr, so the owner may drop its reference while a reply is parsed.
#pragma once

#include "opendap/OVOpenDAPSource.h"

#include <QMap>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct OVNotification;

class OVOpenDAPArrayRequest : public std::enable_shared_from_this<OVOpenDAPArrayRequest>
{
public:
    using Args = QMap<QString, QString>;
    using CompletionBlock = std::function<void()>;
    using ResponseArrays = std::vector<std::vector<double>>;

    /// A request with the given arguments (axis name to "i" or "first:last"); null without
    /// source or variable.
    static std::shared_ptr<OVOpenDAPArrayRequest>
    requestUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable, const Args &args);
    /// The whole range of `argument`, index 0 of every other axis.
    static std::shared_ptr<OVOpenDAPArrayRequest> requestDimensionDataUsingSource(const OVOpenDAPSourcePtr &source,
                                                                                  const OVOpenDAPVariablePtr &variable,
                                                                                  const QString &argument);
    /// Every level at one point and time; null when the variable has no "lev" axis.
    static std::shared_ptr<OVOpenDAPArrayRequest>
    requestVerticalProfileUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                                      int64_t latitudeIndex, int64_t longitudeIndex, int64_t timeIndex);
    /// The whole grid at a time (and level) given as text; null without "lat" and "lon" axes.
    static std::shared_ptr<OVOpenDAPArrayRequest> requestGridUsingSource(const OVOpenDAPSourcePtr &source,
                                                                         const OVOpenDAPVariablePtr &variable,
                                                                         const QString &time,
                                                                         const QString &level = QString());
    static std::shared_ptr<OVOpenDAPArrayRequest>
    requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable, int64_t timeIndex);
    static std::shared_ptr<OVOpenDAPArrayRequest> requestGridUsingSource(const OVOpenDAPSourcePtr &source,
                                                                         const OVOpenDAPVariablePtr &variable,
                                                                         int64_t timeIndex, int64_t levelIndex);
    /// A window of the grid at one time (and level).
    static std::shared_ptr<OVOpenDAPArrayRequest>
    requestGridUsingSource(const OVOpenDAPSourcePtr &source, const OVOpenDAPVariablePtr &variable,
                           int64_t minLatitudeIndex, int64_t maxLatitudeIndex, int64_t minLongitudeIndex,
                           int64_t maxLongitudeIndex, int64_t timeIndex,
                           std::optional<int64_t> levelIndex = std::nullopt);

    ~OVOpenDAPArrayRequest();
    OVOpenDAPArrayRequest(const OVOpenDAPArrayRequest &) = delete;
    OVOpenDAPArrayRequest &operator=(const OVOpenDAPArrayRequest &) = delete;

    /// Starts the request. While one is in progress, the call is ignored and its block dropped.
    void gatherDataWithCompletionBlock(CompletionBlock block);
    /// Clears `requestInProgress`.
    void reset();
    /// Takes a finished download of this object's URL (main thread) to the pool for parsing.
    void gatherDataPostProcessing(const OVNotification &notification);

    /// The variable's own values; empty when there are none.
    std::vector<double> responseData() const;
    /// The values of the named axis; empty when the variable has no such axis or the reply
    /// held fewer arrays.
    std::vector<double> dimensionDataForArgument(const QString &name) const;
    /// "<base>.dods?<variable><constraint>", percent-escaped; null (and a log line) when any
    /// part is missing.
    QString requestURLString() const;

    ResponseArrays responseArrays() const;
    bool requestInProgress() const { return mRequestInProgress; }
    bool ready() const { return mReady; }
    OVOpenDAPSourcePtr source() const { return mSource; }
    OVOpenDAPVariablePtr variable() const { return mVariable; }
    Args args() const { return mArgs; }

private:
    OVOpenDAPArrayRequest(OVOpenDAPSourcePtr source, OVOpenDAPVariablePtr variable, Args args);
    void loadData();
    void parseReply(const QByteArray &reply, bool failed);
    void gatherDataFinish();

    const OVOpenDAPSourcePtr mSource;
    const OVOpenDAPVariablePtr mVariable;
    const Args mArgs;

    std::atomic<bool> mRequestInProgress{false};
    std::atomic<bool> mReady{false};
    std::atomic<int64_t> mLoadTries{0};
    mutable std::mutex mMutex; // the block and the arrays
    CompletionBlock mCompletionBlock;
    ResponseArrays mResponseArrays;
};

using OVOpenDAPArrayRequestPtr = std::shared_ptr<OVOpenDAPArrayRequest>;

// One dataset (one model run) on a DAP2 service: its attribute (".das") and structure (".dds")
// documents, the geographic and time axes they give, its gridded variables, and index lookups
// on the axes.
//
// A gather loads both documents through the download manager (each at most twice), parses them
// on the global pool and then calls every waiting block once, in order; `ready` tells whether
// both documents were accepted. Callers during a gather join it.
//
// Threads: the lock queue guards the gather (loading flag, waiting blocks, try counters and the
// per-gather done flags); blocks are taken out under it and called outside it, on the pool
// thread that finished the gather. The object lock (recursive) guards the axes, the flags and
// the find-or-add of variables; the variable list is an immutable list swapped under a mutex.
// Download notifications arrive on the main thread. Queued work holds a shared_ptr.
#pragma once

#include "opendap/OVOpenDAPVariable.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class OVSerialQueue;
class OVURLManager;
struct OVNotification;

class OVOpenDAPSource : public std::enable_shared_from_this<OVOpenDAPSource>
{
public:
    using CompletionBlock = std::function<void()>;
    using Variables = std::vector<OVOpenDAPVariablePtr>;

    /// The geographic and time axes (degrees, seconds).
    struct Axes
    {
        double latitudeMin = 0.0, latitudeMax = 0.0, latitudeResolution = 0.0;
        int64_t latitudeSize = 0;
        double longitudeMin = 0.0, longitudeMax = 0.0, longitudeResolution = 0.0;
        int64_t longitudeSize = 0;
        double stepInterval = 0.0;
        int64_t numberOfSteps = 0;
    };

    /// A source for the dataset at `baseURLString` (without extension), downloading through
    /// `urlManager` (the shared one by default; it must outlive the source).
    static std::shared_ptr<OVOpenDAPSource> create(const QString &baseURLString, OVURLManager *urlManager = nullptr);
    ~OVOpenDAPSource();
    OVOpenDAPSource(const OVOpenDAPSource &) = delete;
    OVOpenDAPSource &operator=(const OVOpenDAPSource &) = delete;

    QString description() const;
    /// Takes a finished download of this object's URL (main thread) to the pool for parsing.
    void gatherDataPostProcessing(const OVNotification &notification);

    /// Loads and parses both documents, then calls the block (also when it gave up). Without a
    /// base URL the block is called at once. A gather already running takes the block along.
    void gatherDataWithCompletionBlock(CompletionBlock block = {});

    bool parseDAS(const QString &text);
    bool parseDDS(const QString &text);
    void updateVariableNamed(const QString &name, const QString &typeString, const QString &argumentString);
    OVOpenDAPVariablePtr variableNamed(const QString &name) const;
    /// Appends the variable; the axes ("lat", "lon", "time", "lev") and "NC_GLOBAL" stay out.
    void addVariable(const OVOpenDAPVariablePtr &variable);

    QString infoURLString() const;
    QString dasURLString() const;
    QString ddsURLString() const;

    /// Nearest row of the grid; 0 for a zero resolution or size.
    int64_t indexClosestToLatitude(double latitude) const;
    /// Nearest column, the longitude first brought into the dataset's range.
    int64_t indexClosestToLongitude(double longitude) const;
    /// Nearest step to the date (invalid: now), within 0 .. numberOfSteps - 1.
    int64_t indexClosestToTime(const QDateTime &date = QDateTime()) const;
    int64_t closestTimeStepToDate(const QDateTime &date = QDateTime()) const;
    QDateTime timeForIndex(int64_t index) const;

    QString baseURLString() const;
    QString title() const;
    void setTitle(const QString &title);
    QString history() const;
    void setHistory(const QString &history);
    Axes axes() const;
    void setAxes(const Axes &axes);
    double latitudeMin() const { return axes().latitudeMin; }
    double latitudeMax() const { return axes().latitudeMax; }
    double latitudeResolution() const { return axes().latitudeResolution; }
    int64_t latitudeSize() const { return axes().latitudeSize; }
    double longitudeMin() const { return axes().longitudeMin; }
    double longitudeMax() const { return axes().longitudeMax; }
    double longitudeResolution() const { return axes().longitudeResolution; }
    int64_t longitudeSize() const { return axes().longitudeSize; }
    double stepInterval() const { return axes().stepInterval; }
    int64_t numberOfSteps() const { return axes().numberOfSteps; }
    QDateTime modelRunTime() const;
    void setModelRunTime(const QDateTime &time);
    std::shared_ptr<const Variables> variables() const;
    bool ready() const;
    bool dasReady() const;
    bool ddsReady() const;
    bool isLoading() const;
    OVURLManager &urlManager() const { return *mURLManager; }

private:
    enum Document { DAS = 0, DDS = 1 };

    OVOpenDAPSource(const QString &baseURLString, OVURLManager &urlManager);
    void load(Document document);
    void documentArrived(Document document, const QByteArray &data, bool failed);
    QString documentURLString(Document document) const;

    const QString mBaseURLString;
    OVURLManager *mURLManager;
    std::shared_ptr<OVSerialQueue> mLockQueue;

    // Under the lock queue.
    bool mIsLoading = false;
    std::vector<CompletionBlock> mCompletionBlocks;
    std::array<int64_t, 2> mTries{0, 0};
    std::array<bool, 2> mDone{false, false};

    // Under the object lock.
    mutable std::recursive_mutex mObjectLock;
    QString mTitle;
    QString mHistory;
    Axes mAxes;
    QDateTime mModelRunTime;
    bool mReady = false;
    bool mDasReady = false;
    bool mDdsReady = false;

    mutable std::mutex mVariablesMutex;
    std::shared_ptr<const Variables> mVariables;
};

using OVOpenDAPSourcePtr = std::shared_ptr<OVOpenDAPSource>;

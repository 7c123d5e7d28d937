// The weather side's one registry: the monitored locations, the location every view shows, and
// the load counters through which the data clients report how far an update pass has come.
//
// It does no loading itself: `update` posts "OVNotifyForceReload" and the data clients answer
// it. The shell polls `loadPercentCompleted` once a second until it reaches 100.
//
// Threads: `weatherLocations` may be read and replaced from any thread (whole-list copies under
// a lock); the counters are atomic; everything else belongs to the main thread. Notifications
// are posted on the caller's thread and delivered synchronously.
#pragma once

#include <QList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class OVWeatherLocation;

using OVWeatherLocationList = QList<std::shared_ptr<OVWeatherLocation>>;

class OVWeatherController
{
public:
    /// The process's controller, made on first use and never released.
    static OVWeatherController &sharedWeatherController();

    /// No locations, no current location (announced once with a null object), counters 0.
    OVWeatherController();
    /// Announces the current location once more as null.
    ~OVWeatherController();
    OVWeatherController(const OVWeatherController &) = delete;
    OVWeatherController &operator=(const OVWeatherController &) = delete;

private:
    struct Quiet
    {
    };
    /// Makes the controller without announcing it (the shared one announces once it exists).
    explicit OVWeatherController(Quiet);

public:

    /// Starts an update pass: clears the counters, then posts "OVNotifyForceReload".
    void update();

    /// Stores the location (null for none) and posts "OVNotifyNewCurrentLocation" with it as
    /// object (a std::shared_ptr<OVWeatherLocation>), on every call, also for the same location.
    void setCurrentLocation(std::shared_ptr<OVWeatherLocation> location);
    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mCurrentLocation; }

    /// The monitored locations in display order (a copy).
    OVWeatherLocationList weatherLocations() const;
    void setWeatherLocations(const OVWeatherLocationList &locations);
    /// Index of this very location object in `weatherLocations`; OVNotFound when absent.
    int64_t indexOfLocation(const std::shared_ptr<OVWeatherLocation> &location) const;

    void resetLoadPieces();
    void addLoadPiece();
    void completeLoadPiece();
    int32_t loadPieces() const { return mLoadPieces; }
    int32_t completedLoadPieces() const { return mCompletedLoadPieces; }
    /// completed / started x 100, rounded half away from zero; 100 while nothing was started,
    /// so a pass with nothing to load reads as finished.
    int32_t loadPercentCompleted() const;

private:
    mutable std::mutex mLocationsMutex;
    OVWeatherLocationList mWeatherLocations;
    std::shared_ptr<OVWeatherLocation> mCurrentLocation;
    std::atomic<int32_t> mLoadPieces{0};
    std::atomic<int32_t> mCompletedLoadPieces{0};
};

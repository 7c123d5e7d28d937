// The weather controller: monitored locations, current location, load progress.
#include "weather/OVWeatherController.h"

#include "core/OVReloadNotifications.h"

#include "core/OVConstants.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <atomic>
#include <cmath>

OVWeatherController &OVWeatherController::sharedWeatherController()
{
    // Never released: data clients and locations may reach it until the process ends.
    static OVWeatherController *const shared = new OVWeatherController(Quiet{});
    // The first announcement is posted only once the shared controller exists, so an observer
    // that reaches for it in response finds it instead of re-entering its construction.
    static std::atomic<bool> announced{false};
    if (!announced.exchange(true))
        shared->setCurrentLocation(nullptr);
    return *shared;
}

OVWeatherController::OVWeatherController(Quiet)
{
    mWeatherLocations.reserve(5);
}

OVWeatherController::OVWeatherController()
    : OVWeatherController(Quiet{})
{
    setCurrentLocation(nullptr);
}

OVWeatherController::~OVWeatherController()
{
    setCurrentLocation(nullptr);
}

void OVWeatherController::update()
{
    resetLoadPieces();
    OVNotificationCenter::defaultCenter().post(OVNotifyForceReload);
}

void OVWeatherController::setCurrentLocation(std::shared_ptr<OVWeatherLocation> location)
{
    mCurrentLocation = std::move(location);
    OVNotificationCenter::defaultCenter().post(OVNotifyNewCurrentLocation,
                                               QVariant::fromValue(mCurrentLocation));
}

OVWeatherLocationList OVWeatherController::weatherLocations() const
{
    std::lock_guard lock(mLocationsMutex);
    return mWeatherLocations;
}

void OVWeatherController::setWeatherLocations(const OVWeatherLocationList &locations)
{
    std::lock_guard lock(mLocationsMutex);
    mWeatherLocations = locations;
}

int64_t OVWeatherController::indexOfLocation(const std::shared_ptr<OVWeatherLocation> &location) const
{
    std::lock_guard lock(mLocationsMutex);
    const qsizetype index = mWeatherLocations.indexOf(location);
    return index < 0 ? OVNotFound : int64_t(index);
}

void OVWeatherController::resetLoadPieces()
{
    mLoadPieces = 0;
    mCompletedLoadPieces = 0;
}

void OVWeatherController::addLoadPiece()
{
    ++mLoadPieces;
}

void OVWeatherController::completeLoadPiece()
{
    ++mCompletedLoadPieces;
}

int32_t OVWeatherController::loadPercentCompleted() const
{
    const int32_t started = mLoadPieces;
    if (started == 0)
        return 100;
    const float fraction = float(mCompletedLoadPieces.load()) / float(started) * 100.0f;
    return int32_t(std::lround(fraction));
}

#include "core/OVTimedAnimation.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

OVTimedAnimation::OVTimedAnimation(double durationSeconds, Curve curve)
    : mDuration(durationSeconds)
    , mCurve(curve)
{
}

OVTimedAnimation::~OVTimedAnimation()
{
    stopAnimation();
}

int OVTimedAnimation::frameIntervalMs() const
{
    return std::max(1, int(std::lround(1000.0 / mFrameRate)));
}

bool OVTimedAnimation::frame(double elapsedSeconds)
{
    const double remaining = 1.0 - mStartProgress;
    const double fraction = mDuration > 0 ? elapsedSeconds / mDuration : 1.0;
    // The last frame reports exactly 1.0.
    const float progress = fraction >= remaining ? 1.0f : float(mStartProgress + fraction);
    setCurrentProgress(progress);
    if (progress >= 1.0f) {
        mAnimating = false;
        return false;
    }
    return true;
}

void OVTimedAnimation::startAnimation()
{
    if (mAnimating)
        return;
    if (mThread.joinable())
        mThread.join();
    if (mProgress >= 1.0f)
        mProgress = 0.0f;
    mStartProgress = mProgress;
    mStopRequested = false;
    mAnimating = true;

    switch (mMode) {
    case BlockingMode::Blocking: {
        QElapsedTimer clock;
        clock.start();
        while (!mStopRequested && frame(clock.nsecsElapsed() / 1e9))
            std::this_thread::sleep_for(std::chrono::milliseconds(frameIntervalMs()));
        mAnimating = false;
        break;
    }
    case BlockingMode::NonBlocking: {
        mTimer = new QTimer;
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        QObject::connect(mTimer, &QTimer::timeout, mTimer, [this, clock] {
            if (!frame(clock->nsecsElapsed() / 1e9)) {
                mTimer->stop();
                mTimer->deleteLater();
                mTimer = nullptr;
            }
        });
        mTimer->start(frameIntervalMs());
        break;
    }
    case BlockingMode::NonBlockingThreaded:
        mThread = std::thread([this] {
            QElapsedTimer clock;
            clock.start();
            while (!mStopRequested && frame(clock.nsecsElapsed() / 1e9))
                std::this_thread::sleep_for(std::chrono::milliseconds(frameIntervalMs()));
        });
        break;
    }
}

void OVTimedAnimation::stopAnimation()
{
    mStopRequested = true;
    if (mThread.joinable() && mThread.get_id() != std::this_thread::get_id())
        mThread.join();
    if (mTimer) {
        mTimer->stop();
        delete mTimer;
        mTimer = nullptr;
    }
    mAnimating = false;
}

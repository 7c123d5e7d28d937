// The progress animation of the map's zoom and recentring: forwards every progress change to its
// delegate, and the end (progress exactly 1.0) too. Threaded animations call the delegate on
// their own thread.
#pragma once

#include "core/OVTimedAnimation.h"

class OVAnimation;

class OVAnimationDelegate
{
public:
    virtual ~OVAnimationDelegate() = default;
    virtual void animationProgressed(OVAnimation &animation) = 0;
    virtual void animationFinished(OVAnimation &animation) = 0;
};

class OVAnimation : public OVTimedAnimation
{
public:
    using OVTimedAnimation::OVTimedAnimation;
    ~OVAnimation() override;

    void setCurrentProgress(float progress) override;
    /// Stops and sets the progress to 0 without telling the delegate.
    void resetAnimation();

    /// Not owned.
    void setDelegate(OVAnimationDelegate *delegate) { mDelegate = delegate; }
    OVAnimationDelegate *delegate() const { return mDelegate; }

private:
    std::atomic<OVAnimationDelegate *> mDelegate{nullptr};
};

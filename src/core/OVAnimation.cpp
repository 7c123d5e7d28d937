#include "core/OVAnimation.h"

OVAnimation::~OVAnimation()
{
    // Stop before this part of the object goes, so no frame reaches a half-destroyed animation.
    stopAnimation();
}

void OVAnimation::setCurrentProgress(float progress)
{
    OVTimedAnimation::setCurrentProgress(progress);
    OVAnimationDelegate *delegate = mDelegate;
    if (!delegate)
        return;
    delegate->animationProgressed(*this);
    if (progress == 1.0f)
        delegate->animationFinished(*this);
}

void OVAnimation::resetAnimation()
{
    stopAnimation();
    OVTimedAnimation::setCurrentProgress(0.0f);
}

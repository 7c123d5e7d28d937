#include "platform/OVClock.h"

const OVClock &OVClock::system()
{
    static const OVSystemClock clock;
    return clock;
}

// The places the journal window offers: the monitored places that have a location id. Places
// without one (custom places, id 0) would all share the files named with 0.
#pragma once

#include "weather/OVWeatherController.h"

class NBJournalLocationArrayController
{
public:
    /// The places whose location id, as a 32-bit integer, is not zero, in order.
    static OVWeatherLocationList arrangeObjects(const OVWeatherLocationList &locations);
};

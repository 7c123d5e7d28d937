// Filtering the journal's place choice.
#include "app/journal/NBJournalLocationArrayController.h"

#include "weather/OVWeatherLocation.h"

OVWeatherLocationList NBJournalLocationArrayController::arrangeObjects(const OVWeatherLocationList &locations)
{
    OVWeatherLocationList arranged;
    for (const std::shared_ptr<OVWeatherLocation> &location : locations) {
        if (location && int32_t(location->locationID()) != 0)
            arranged.append(location);
    }
    return arranged;
}

// The strategies of the graph types, made by NBGraphTypeStrategy::forType. Internal to the
// graphs library.
#pragma once

#include "graphs/NBGraphTypeStrategy.h"

#include <memory>

namespace NBGraphTypes {

std::unique_ptr<NBGraphTypeStrategy> temperature();
std::unique_ptr<NBGraphTypeStrategy> windSpeed();
std::unique_ptr<NBGraphTypeStrategy> windDirection();
std::unique_ptr<NBGraphTypeStrategy> cylindricalWindDirection();
std::unique_ptr<NBGraphTypeStrategy> pressure();
/// Humidity, cloud cover and probability of precipitation: percentages on a 0..100 axis.
std::unique_ptr<NBGraphTypeStrategy> humidity();
std::unique_ptr<NBGraphTypeStrategy> cloudCover();
std::unique_ptr<NBGraphTypeStrategy> probabilityOfPrecipitation();
std::unique_ptr<NBGraphTypeStrategy> precipitation();
std::unique_ptr<NBGraphTypeStrategy> snowfall();
std::unique_ptr<NBGraphTypeStrategy> waveHeight();

} // namespace NBGraphTypes

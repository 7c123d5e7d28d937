// The place labels of the map: the user's places first (size 15, opaque white), then the
// cities of the location database above 50,000 people, sized by population band (white at
// alpha 0.85), all bold with a black stroke. Pure; any thread.
#pragma once

#include "core/OVGeoTypes.h"
#include "map/layers/OVMapLayerControls.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

/// A place of the user's list, copied for a worker.
struct OVMapPlace
{
    QString city;
    OVGeoPoint point;
};

namespace OVMapCityLabels {

/// Cities of at most this many people get no label.
inline constexpr qint64 kPopulationFloor = 50000;

/// The label font size for a city of `population` people; 0 when it gets none.
double fontSizeForPopulation(qint64 population);

/// The labels: one per place, then one per database row (keys city, latitude, longitude,
/// population) with a name and a population above the floor, in row order.
QList<OVMapLabelRecord> labels(const QList<OVMapPlace> &places, const std::optional<QList<QVariantMap>> &cityRows);

} // namespace OVMapCityLabels

// The graph types of the graph stack, one panel each, and what a panel asks of the container
// that holds it. Main thread.
#pragma once

#include "core/NBGraphTypeTable.h"

#include <QDateTime>

#include <memory>

class OVWeatherLocation;

/// What a graph panel asks of its container: the location it shows and the shared time window.
class NBMultiGraphPartDelegate
{
public:
    virtual ~NBMultiGraphPartDelegate() = default;

    /// The location whose weather the panels show; null when none is selected.
    virtual std::shared_ptr<OVWeatherLocation> currentLocation() const = 0;
    /// Height of one panel in the container's layout.
    virtual int graphHeight() const = 0;
    /// The shared time window.
    virtual QDateTime startDate() const = 0;
    virtual QDateTime endDate() const = 0;
    /// Rotation of the cylindrical wind-direction graph, in degrees.
    virtual double verticalOffset() const = 0;
    /// A panel's value scale was set again: the stack may give its panels a new shared width
    /// for their value labels.
    virtual void labelBandMayHaveChanged() {}
};

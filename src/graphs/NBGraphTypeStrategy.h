// What makes one graph type: where its values come from, how its axis is scaled, what its
// summary label says and what its hover read-out prints. One subclass per type; the panel holds
// the one of its type and calls it at set-up, on each data update, on each re-read of the
// window and for each hover read-out. Point units are fixed per type (Celsius, knots, degrees,
// millibars, percent, inches, feet); the user's units appear only in texts and legends.
// Main thread.
#pragma once

#include <QString>

#include <memory>

class NBMultiGraphPart;
struct OVGraphDataPoint;

class NBGraphTypeStrategy
{
public:
    virtual ~NBGraphTypeStrategy() = default;

    /// The strategy of a graph type; null for a number outside 0..10.
    static std::unique_ptr<NBGraphTypeStrategy> forType(int type);

    /// Once, after the shared set-up: colours, modes, legend units, the two labels' texts.
    virtual void setup(NBMultiGraphPart &part) = 0;
    /// With a current location: reads the type's values into the graph.
    virtual void updateData(NBMultiGraphPart &part) = 0;
    /// After the window changed: value ranges of graph and legend, the summary label.
    virtual void updateScale(NBMultiGraphPart &part) = 0;
    /// The hover read-out of one point.
    virtual QString hoverText(NBMultiGraphPart &part, const OVGraphDataPoint &point) = 0;
};

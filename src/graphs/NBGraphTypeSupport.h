// Helpers the graph types share: settings read at each use, the units' texts, and the making of
// line points from observations and forecast series. Main thread.
#pragma once

#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVGraphDataPoint.h"
#include "graphs/OVGraphRange.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

#include "weather/OVWeatherConditions.h"

namespace NBGraphTypeSupport {

/// A colour of the settings store ("viewBackgroundColor", "OVNimbrelColorBlue" ...).
QColor settingColor(const char *key);

/// The inch mark of lengths in inches.
inline const QString kInchMark = QStringLiteral("\"");

/// Whether a scale or range measured anything.
bool isValid(const OVGraphRange &range);

/// One line point per record whose `value` is not missing: y and display value the same.
std::vector<OVGraphDataPoint> pastLinePoints(const QList<OVWeatherConditions> &records,
                                             const std::function<double(const OVWeatherConditions &)> &value);
/// One line point per forecast period with a value under `key`, dated at its date (or start).
std::vector<OVGraphDataPoint> futureLinePoints(const QList<QVariantMap> &periods, const QString &key);

/// The observations of the part's window; empty without a location.
QList<OVWeatherConditions> pastRecords(const NBMultiGraphPart &part);
/// The forecast series of a key; empty without a location.
QList<QVariantMap> forecast(const NBMultiGraphPart &part, const QString &key);
/// Past and future joined when the window ends after now, past only otherwise.
void setMergedPoints(NBMultiGraphPart &part, std::vector<OVGraphDataPoint> past,
                     const std::vector<OVGraphDataPoint> &future);

/// Sets the same value range on graph and legend.
void setRanges(NBMultiGraphPart &part, const OVGraphRange &graphRange, const OVGraphRange &legendRange);

} // namespace NBGraphTypeSupport

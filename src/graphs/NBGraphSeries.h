// The data rules the graph types share: joining observed and forecast series, turning hourly
// precipitation reports into bars, the mean of directions, totals of bars, compass names and the
// wind read-out. Pure functions over values; any thread.
#pragma once

#include "graphs/OVGraphDataPoint.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <vector>

#include "weather/OVUnits.h"
#include "weather/OVWeatherConditions.h"

namespace NBGraphSeries {

/// A forecast period's instant: its "date", else its "startDate".
QDateTime periodDate(const QVariantMap &period);

/// All past points, then the future points dated strictly after the last past point's date
/// (all of them when there is no past point or it has no date).
std::vector<OVGraphDataPoint> mergePastAndFuture(std::vector<OVGraphDataPoint> past,
                                                 const std::vector<OVGraphDataPoint> &future);

/// Past bars, then the future bars that start after the last past bar's end; a future bar that
/// straddles that end is cut to start at `now`. Without past bars all future bars.
std::vector<OVGraphDataPoint> mergeBars(std::vector<OVGraphDataPoint> past,
                                        const std::vector<OVGraphDataPoint> &future, const QDateTime &now);

/// One bar per observation of the amount fallen since the top of the clock hour: from the
/// previous report when that lies less than an hour back, else from one hour back. Within one
/// clock hour the bar holds only what fell since the previous report (a report that repeats the
/// amount adds nothing); a missing amount reads as 0.
std::vector<OVGraphDataPoint> pastPrecipitationBars(const QList<OVWeatherConditions> &records);

/// One bar per period that has a value under `key`: startDate..endDate, y the value.
/// Periods whose end lies before `now` are left out.
std::vector<OVGraphDataPoint> futureBars(const QList<QVariantMap> &periods, const QString &key, const QDateTime &now);

/// The circular mean of the points' y (degrees) dated within start..end, in 0..360; 0 when no
/// point qualifies or the cosines sum to exactly 0.
double meanDirection(const std::vector<OVGraphDataPoint> &points, const QDateTime &start, const QDateTime &end);

/// Sum of y over the bars that overlap minDate..maxDate (each counted whole).
double totalOfBars(const std::vector<OVGraphDataPoint> &points, const QDateTime &minDate, const QDateTime &maxDate);

/// Moves each y by whole turns into low..high (low = mean - 180, high = mean + 180).
void wrapDirections(std::vector<OVGraphDataPoint> &points, double mean);

/// "N", "NE" ... "NW" of the nearest 45° step (the smaller angle on a tie), "Variable" for -1 and
/// "Not Available" for -1000.
QString stringForDirection(double degrees);

/// "NW 12-18 mph": direction name, speed and, when the gust exceeds it by more than half a unit,
/// the gust, in `unit`; "Calm" for a speed of 0; empty for a unit code the preferences do not
/// name. Speeds in knots.
QString windReadout(double speedKnots, double gustKnots, double directionDegrees, OVWindSpeedUnit unit);

} // namespace NBGraphSeries

// How a graph view lays out and draws its series.
#pragma once

/// What the horizontal axis measures: the points' `x` values across `xRange`, or their dates
/// across the time window.
enum class OVGraphXMode : int { Values = 0, Dates = 1 };

/// How the main series is drawn: a line over a filled area of `y`, bars, or the band between
/// `yMin` and `yMax`.
enum class OVGraphYMode : int { Line = 0, Bars = 1, Band = 2 };

/// How the second series (`secondaryY`) is drawn: not at all, stroked as a line over the main
/// series, or filled under it.
enum class OVGraphSecondaryYMode : int { None = 0, Line = 1, FilledUnder = 2 };

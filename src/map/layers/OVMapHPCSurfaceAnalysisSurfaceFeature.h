// One feature of the coded surface-analysis bulletin: a high or low pressure list or a front,
// with its decoded points, and the parsing of the bulletin's rows into features.
//
// The bulletin is plain text: a type word ("HIGHS", "LOWS", "COLD", "WARM", "OCFNT", "STNRY")
// followed by numbers, continued over lines that begin with a digit. Highs and lows alternate a
// pressure and a position; fronts are lists of positions, with "WK" (weak) words ignored.
// Positions are LLOO and LLOOO (whole degrees) or LLLOOOO (tenths), latitude north and
// longitude west. Every other type word (troughs among them) gives no feature.
//
// Parsing is pure. A feature is immutable once parsed, except for its smoothed line, which the
// layer stores on first draw (under a small mutex).
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

class OVMapHPCSurfaceAnalysisSurfaceFeature
{
public:
    /// One decoded point: a position (degrees; longitude 0 or west, so negative) and, for highs
    /// and lows, the pressure as written. A pressure whose position was unreadable stands alone.
    struct Point
    {
        std::optional<double> latitude;
        std::optional<double> longitude;
        std::optional<int64_t> pressure;
        bool operator==(const Point &) const = default;
    };

    /// The feature of one joined feature text; nothing for a type word not drawn.
    static std::shared_ptr<OVMapHPCSurfaceAnalysisSurfaceFeature> fromHPCString(const QString &text);
    /// The bulletin's rows joined into feature texts: a row starting with a digit continues the
    /// previous feature (dropped when there is none), empty rows are skipped, runs of blanks
    /// become one blank.
    static QStringList featureTextsForRows(const QStringList &rows);
    /// Every feature of the bulletin, in order.
    static QList<std::shared_ptr<OVMapHPCSurfaceAnalysisSurfaceFeature>> featuresForRows(const QStringList &rows);

    /// A position token decoded by its length (4, 5 or 7 characters); nothing for another length.
    static std::optional<QPointF> positionForToken(const QString &token);

    const QString &type() const { return mType; }
    const QList<Point> &points() const { return mPoints; }
    /// The points as x = longitude, y = latitude (read in single precision); nothing as soon as
    /// one lacks a position.
    std::optional<QList<QPointF>> cartesianPoints() const;

    /// The smoothed line, once the layer has made it.
    std::optional<QList<QPointF>> splinePoints() const;
    void setSplinePoints(const QList<QPointF> &points);

private:
    OVMapHPCSurfaceAnalysisSurfaceFeature() = default;

    QString mType;
    QList<Point> mPoints;
    mutable std::mutex mSplineMutex;
    std::optional<QList<QPointF>> mSplinePoints;
};

using OVMapHPCSurfaceAnalysisSurfaceFeaturePtr = std::shared_ptr<OVMapHPCSurfaceAnalysisSurfaceFeature>;

// The axes of the cylindrical wind-direction graph: dates along the face between the end
// ellipses, with the present and each labelled date drawn as a half ellipse round the cylinder;
// compass labels and grid lines only for the directions on the front face. Takes its geometry
// from the graph (`setGeometryFromGraphView`) after each layout or turn. Main thread.
#pragma once

#include "graphs/OVCylinderGeometry.h"
#include "graphs/OVGraphLegendView.h"

#include <QPainterPath>

#include <optional>
#include <vector>

class OVCylindricalGraphView;

class OVCylindricalGraphLegendView : public OVGraphLegendView
{
    Q_OBJECT

public:
    explicit OVCylindricalGraphLegendView(QWidget *parent = nullptr);

    /// Copies the graph's cylinder (converted into this view's coordinates) and rotation; a null
    /// graph leaves an empty cylinder.
    void setGeometryFromGraphView(const OVCylindricalGraphView *graph);
    const OVCylinderGeometry &cylinderGeometry() const { return mGeometry; }
    QRectF cylinderRect() const { return mGeometry.rect; }
    double cylinderWidth() const { return mGeometry.width; }
    double verticalOffset() const { return mGeometry.verticalOffset; }
    void setVerticalOffset(double degrees);
    double xOffsetForDegrees(double degrees) const { return mGeometry.xOffsetForDegrees(degrees); }
    double yForDegrees(double degrees) const { return mGeometry.yForDegrees(degrees); }

    using OVGraphLegendView::xForDate;
    double xForDate(const QDateTime &date, const QRectF &yLegendRect) const override;
    QRectF xLegendRect() const override;
    void renderXLegend(QPainter &painter) override;
    void renderYLegend(QPainter &painter) override;

    /// The direction labels as drawn, front face only (a direction on the back face has neither
    /// label nor grid line): fixed labels when there are any, else one every `yInterval`, where
    /// the range's lowest direction sits at the bottom of the view and its highest at the top of
    /// the value axis.
    struct DirectionLabel
    {
        QString text;
        QRectF rect;
        double degrees = 0.0; // the direction its grid line runs at
        bool shown = true;    // false where the text would touch another label's
    };
    std::vector<DirectionLabel> directionLabels() const;
    std::vector<QRectF> drawnLabelRects() const override;

    /// The visible half of the circle round the cylinder at x.
    QPainterPath bezierPathForXLine(double x, const QRectF &graphRect) const;
    /// The line along the face at a direction.
    QPainterPath bezierPathForYLine(double degrees, const QRectF &graphRect) const;

private:
    /// Whether a date's line lies on the face (not behind the rounded ends).
    bool onFace(double x) const;
    static std::vector<DirectionLabel> keptApart(const std::vector<DirectionLabel> &labels);
    /// The label of a direction at its place on the face; nothing on the back face.
    std::optional<DirectionLabel> directionLabel(double degrees, const QString &text) const;

    OVCylinderGeometry mGeometry;
};

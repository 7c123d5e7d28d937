// Wind direction against time on a horizontal cylinder seen slightly from the side: time runs
// along the axis, direction round the circumference, so a wind turning through north keeps
// going round. The half of the circumference within 90° of `verticalOffset` faces the viewer;
// the other half shows through the translucent body, dimmed and mirrored.
//
// Drawing: the series path is built once with each 180° band mapped onto one view height, and
// stroked under vertical translations into a front and a back face image (one turn = two
// heights); the faces are shrunk to the face width and bent by the arch warp, then composed with
// the body between them. All at the device's pixel scale. The view keeps its rendering, so a
// repaint under the hover bubble runs no warp, and keeps the body's image between frames. Qt's
// y-down space. Main thread; a paint draws the two faces side by side on the global pool.
#pragma once

#include "graphs/OVCylinderGeometry.h"
#include "graphs/OVGraphView.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRect>

#include <optional>

class OVCylindricalGraphView : public OVGraphView
{
    Q_OBJECT

public:
    explicit OVCylindricalGraphView(QWidget *parent = nullptr);

    QColor cylinderColor() const { return mCylinderColor; }
    void setCylinderColor(const QColor &color);
    /// The direction at the middle of the front face, in degrees.
    double verticalOffset() const { return mVerticalOffset; }
    void setVerticalOffset(double degrees);

    /// Takes the points, then unwraps their directions so that no step exceeds 180°.
    void setDataPoints(std::vector<OVGraphDataPoint> points) override;
    /// Each 180° band about the middle of the value range maps onto one view height.
    double yForValue(double value) const override;
    /// The point under an x on the face (the time axis runs between the end ellipses).
    std::optional<OVGraphDataPoint> closestDataToX(double x) override;
    void drawGraphForXRange(QPainter &painter, const OVGraphRange &xRange) override;

    OVCylinderGeometry geometry() const;
    double cylinderWidth() const { return geometry().width; }
    QRectF cylinderRect() const { return geometry().rect; }
    double xOffsetForDegrees(double degrees) const { return geometry().xOffsetForDegrees(degrees); }
    double yForDegrees(double degrees) const { return geometry().yForDegrees(degrees); }

    /// The far rim of the left end, the body and the near end face, in `rect`.
    void drawCylinderInRect(QPainter &painter, const QRectF &rect, double cylinderWidth) const;
    /// Adds 360° steps so that neighbouring directions differ by at most 180°.
    static void cleanupDataPoints(std::vector<OVGraphDataPoint> &points);

    // The drawing's stages, at pixel scale `scale` (the benchmark times them apart).
    struct Faces
    {
        QImage front;
        QImage back;
    };
    /// The series stroked into the flat front and back images, the view's size times the scale.
    Faces strokeFaces(const OVGraphRange &xRange, double scale);
    /// Both faces resized to the cylinder, shrunk to the face width and bent.
    Faces warpFaces(const Faces &faces, double scale);
    /// The composed picture of the view at the scale.
    QImage compose(const Faces &warped, double scale) const;
    /// How many times the body has been drawn into its kept image: once per size, scale and
    /// colour, not once per frame (tests look at it).
    int bodyRenderings() const { return mBodyRenderings; }

private:
    // What both faces are drawn from, taken from the view on the main thread: a face is then drawn
    // from its plan alone, on any thread.
    struct FacePlan
    {
        QSize size;            // of a flat face, in pixels
        QPainterPath path;     // the series, at the pixel scale
        QPen pen;
        double topTurn = 0.0;  // the turn the highest direction lies in, in degrees
        double dataMin = 0.0;
        double verticalOffset = 0.0;
        QRect cylinder;        // in pixels
        double endWidth = 0.0; // in pixels
    };
    FacePlan facePlan(const OVGraphRange &xRange, double scale);
    static void strokeFace(const FacePlan &plan, bool back, QImage &face);
    static void warpFace(const FacePlan &plan, bool back, const QImage &face, QImage &warped);

    /// The series line without the flat graph's lead-in from below the view.
    QPainterPath seriesPath(const OVGraphRange &xRange) const;
    void drawAverageLine(QPainter &painter, double scale, bool backFace) const;
    /// The cylinder's rectangle in pixels at the scale.
    QRect pixelCylinderRect(double scale) const;
    /// The body drawn alone into an image of the composition's size, kept until the size, the
    /// scale or the colour changes: only the series changes from frame to frame.
    const QImage &body(const QSize &size, double scale) const;

    QColor mCylinderColor = Qt::gray;
    double mVerticalOffset = 0.0;
    // The value range the path builders see while the faces are stroked.
    std::optional<OVGraphRange> mStrokeRange;

    // What the kept body was drawn for.
    struct BodyKey
    {
        QSize size;
        QRectF rect;
        double endWidth = 0.0;
        QColor color;
        bool operator==(const BodyKey &) const = default;
    };
    mutable QImage mBody;
    mutable BodyKey mBodyKey;
    mutable int mBodyRenderings = 0;
    // The images of each stage, kept so that a frame reuses the last frame's pixels instead of
    // allocating them again.
    Faces mStrokedFaces;
    Faces mWarpedFaces;
    mutable QImage mComposition;
};

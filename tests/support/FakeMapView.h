// A map view for layer tests: the resolution and scale are set by the test, redraws counted.
#pragma once

#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"

#include <atomic>

class FakeMapView final : public OVMapSupportedView
{
public:
    OVGeoRect visibleGeoRect() const override { return rect; }
    QSizeF viewSize() const override { return size; }
    double resolutionPixelsPerDegree() const override { return resolution; }
    double devicePixelRatioF() const override { return scale; }
    void radarTimeShownDidChange(const QDateTime &date) override { radarTime = date; }
    void satelliteTimeShownDidChange(const QDateTime &date) override { satelliteTime = date; }
    void redraw() override { ++redraws; }

    OVGeoRect rect = OVGeoRect{{-90.0, -180.0, 0.0}, {90.0, 180.0, 0.0}};
    QSizeF size{720.0, 360.0};
    double resolution = 1.0;
    double scale = 1.0;
    QDateTime radarTime;
    QDateTime satelliteTime;
    std::atomic<int> redraws{0};
};

/// A map controller that hands out its view and settings and binds nothing.
class FakeMapController final : public OVMapControllerInterface
{
public:
    OVMapSupportedView *view() const override { return mapView; }
    const OVMapProjection *mapProjection() const override { return nullptr; }
    QVariantMap settings() const override { return mapSettings; }
    bool bindTextureWithKey(const QString &) override { return false; }
    OVMapSupportedView *mapView = nullptr;
    QVariantMap mapSettings;
};

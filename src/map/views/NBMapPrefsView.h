// The contents of the map's settings bubble: step length (12 minutes or 3 hours), loop speed,
// radar and satellite opacity, the surface-analysis and wind-particle switches, particle
// density and the switch that pauses the particles while the program is in the background.
//
// Each control stores its value in the user defaults under its map setting key (the density
// as its index 0..3) and then calls its action on the map view controller, so a change applies
// at once and the map's first frame at the next start reads it. A control shows its stored
// value, else the map engine's setting, else the engine's default. GUI thread.
#pragma once

#include <QWidget>

class NBMapViewController;
class OVMapController;

class NBMapPrefsView : public QWidget
{
    Q_OBJECT

public:
    /// Speed slider: seconds per step = position × this, from 1 to kSpeedPositions.
    static constexpr double kSpeedStep = 0.05;
    static constexpr int kSpeedPositions = 40;

    /// `engine` may be null (before the map's first frame).
    NBMapPrefsView(NBMapViewController &controller, const OVMapController *engine, QWidget *parent = nullptr);
};

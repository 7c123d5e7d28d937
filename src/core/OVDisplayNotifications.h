// Names of the notifications that ask views to redraw. `OVNotifyRedisplayEverything` is posted
// after a change of the display settings (the preferences window) and by the application's
// periodic refresh; `OVNotifyMapGeneratorNeedsDisplay` after the list of places changed (the map
// relabels them).
#pragma once

#include <QString>

inline const QString OVNotifyRedisplayEverything = QStringLiteral("OVNotifyRedisplayEverything");

/// The map should regenerate its labels (object: the poster).
inline const QString OVNotifyMapGeneratorNeedsDisplay = QStringLiteral("OVNotifyMapGeneratorNeedsDisplay");

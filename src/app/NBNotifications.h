// Names of the notifications the application posts.
#pragma once

#include <QString>

/// The map should regenerate its image (object: the controller).
inline const QString OVNotifyMapGeneratorNeedsDisplay = QStringLiteral("OVNotifyMapGeneratorNeedsDisplay");

// The interface's named text attribute sets, paragraph styles and colours, which the settings
// store keeps in memory (never persisted). Views read them by name through
// NBPrefController::settingForKey ("standardText", "headingColor", ...).
//
// Fonts are the system sans-serif at a pixel size equal to the design's point size; the
// design's demibold italic face becomes the same family, demibold and italic.
#pragma once

#include <QStringList>
#include <QVariantMap>

namespace NBInterfaceStyle {

/// Every named attribute set (a map of OVTextAttributes.h keys: font and foreground colour),
/// the paragraph styles "centerTextAlignment", "leftTextAlignment", "rightTextAlignment"
/// (OVParagraphStyle, tail truncation) and the named colours (QColor).
QVariantMap build();

/// The names whose stale copies are removed from the stored settings at start.
QStringList staleStoredKeys();

} // namespace NBInterfaceStyle

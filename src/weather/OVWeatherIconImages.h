// Where the weather icon images live: the application's Qt resources under ":/weather-icons/",
// one PNG per icon name. Icon names come with or without their ".png" ending (forecast data
// leaves it off). Safe on any thread.
#pragma once

#include <QString>

namespace OVWeatherIconImages {

/// The resource folder of the icon images.
inline constexpr const char *kResourcePrefix = ":/weather-icons/";

/// The resource path of the image for an icon name; null when the application has no such image.
QString pathForIconName(const QString &iconName);
/// Whether the application has an image for the icon name.
bool hasImage(const QString &iconName);

} // namespace OVWeatherIconImages

// Lookup of weather icon images among the application's resources.
#include "weather/OVWeatherIconImages.h"

#include <QFileInfo>

namespace OVWeatherIconImages {

QString pathForIconName(const QString &iconName)
{
    if (iconName.isEmpty() || iconName.contains(QLatin1Char('/')))
        return {};
    QString path = QLatin1String(kResourcePrefix) + iconName;
    if (!iconName.endsWith(QLatin1String(".png")))
        path += QLatin1String(".png");
    const QFileInfo image(path);
    return image.exists() && image.isFile() ? path : QString();
}

bool hasImage(const QString &iconName)
{
    return !pathForIconName(iconName).isNull();
}

} // namespace OVWeatherIconImages

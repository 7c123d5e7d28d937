// Lookup of named images among the application's resources, with a process-wide cache.
#include "core/views/OVNamedImage.h"

#include <QFileInfo>
#include <QHash>

#include <mutex>

static void initNamedImageResources()
{
    Q_INIT_RESOURCE(named_images);
}

namespace {

const char *const kFolders[] = {":/images/", ":/weather-icons/", ":/"};

} // namespace

QString OVNamedImage::pathForName(const QString &name)
{
    static std::once_flag resources;
    std::call_once(resources, initNamedImageResources);
    // A name is a file name, never a path: nothing outside the resource folders is reachable.
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    const QString stem = name.endsWith(QLatin1String(".png")) ? name.chopped(4) : name;
    for (const char *folder : kFolders) {
        for (const QString &file : {stem + QLatin1String(".png"), stem}) {
            const QString path = QLatin1String(folder) + file;
            const QFileInfo info(path);
            if (info.exists() && info.isFile())
                return path;
        }
    }
    return {};
}

namespace {

std::mutex gRegistryMutex;
QHash<QString, QImage> &registered()
{
    static QHash<QString, QImage> images;
    return images;
}

} // namespace

bool OVNamedImage::registerImage(const QString &name, const QImage &image)
{
    if (name.isEmpty() || image.isNull())
        return false;
    const std::lock_guard<std::mutex> lock(gRegistryMutex);
    if (registered().contains(name))
        return false;
    registered().insert(name, image);
    return true;
}

QImage OVNamedImage::imageNamed(const QString &name)
{
    static std::mutex mutex;
    static QHash<QString, QImage> cache;
    {
        const std::lock_guard<std::mutex> registryLock(gRegistryMutex);
        const auto made = registered().constFind(name);
        if (made != registered().constEnd())
            return *made;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = cache.constFind(name);
        if (found != cache.constEnd())
            return *found;
    }
    const QString path = pathForName(name);
    const QImage image = path.isEmpty() ? QImage() : QImage(path);
    const std::lock_guard<std::mutex> lock(mutex);
    cache.insert(name, image);
    return image;
}

// The application's images by name, as every view draws them: the shell's own drawings
// (":/images/<name>.png"), the weather icons (":/weather-icons/<name>.png", linked into the
// program) and the drawing kit's button images (":/<name>"). A name may end in ".png".
//
// Loaded images are kept for the rest of the process. Any thread.
#pragma once

#include <QImage>
#include <QString>

class OVNamedImage
{
public:
    /// The image of that name: a registered one first, else the application's own; a null
    /// image when there is none.
    static QImage imageNamed(const QString &name);
    /// The resource path the image is loaded from; empty when there is none.
    static QString pathForName(const QString &name);
    /// Makes `image` findable under `name`. A name's first registration wins; later ones, and
    /// null images, are ignored. Returns whether this registration took effect.
    static bool registerImage(const QString &name, const QImage &image);
};

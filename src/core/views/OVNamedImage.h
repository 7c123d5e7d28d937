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
    /// The image of that name; a null image when the application has none.
    static QImage imageNamed(const QString &name);
    /// The resource path the image is loaded from; empty when there is none.
    static QString pathForName(const QString &name);
};

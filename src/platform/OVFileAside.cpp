#include "platform/OVFileAside.h"

#include <QFile>

namespace OVFileAside {

QString asideName(const QString &path, const QDateTime &when)
{
    const QString base = path + QStringLiteral(".corrupt-") + when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFile::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

QString setAside(const QString &path, const QStringList &companionSuffixes, const QDateTime &when)
{
    const QString aside = asideName(path, when);
    if (!QFile::rename(path, aside))
        return QString();
    // A journal left beside a new file of the old name would be replayed into it: the companions
    // travel with the file they belong to.
    for (const QString &suffix : companionSuffixes) {
        if (QFile::exists(path + suffix))
            QFile::rename(path + suffix, aside + suffix);
    }
    return aside;
}

} // namespace OVFileAside

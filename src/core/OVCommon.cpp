// Process-wide path helper shared by the data clients.
#include "core/OVCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString OVCommon::applicationSupportPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty() || !QCoreApplication::instance())
        return QString();
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (executable.isEmpty())
        return QString();
    return QDir(base).filePath(executable);
}

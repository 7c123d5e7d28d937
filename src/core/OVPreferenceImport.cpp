#include "core/OVPreferenceImport.h"

#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

QString OVPreferenceImport::ownPreferencesPath()
{
    return OVUserDefaults::standardPath();
}

QString OVPreferenceImport::containerPreferencesPath(const QString &containerID)
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString own = ownPreferencesPath();
    const QString relative = own.startsWith(config + QLatin1Char('/')) ? own.mid(config.size() + 1)
                                                                       : QFileInfo(own).fileName();
    return QDir::homePath() + QStringLiteral("/.var/app/") + containerID + QStringLiteral("/config/")
           + relative;
}

bool OVPreferenceImport::ovImportNewerPreferences(const QString &bundleID, const QString &containerID)
{
    Q_UNUSED(bundleID); // the own file is named by the application, not by the identifier
    if (QDir::homePath().isEmpty())
        return false;
    return ovImportNewerPreferencesFromFile(containerPreferencesPath(containerID), ownPreferencesPath());
}

bool OVPreferenceImport::ovImportNewerPreferencesFromFile(const QString &containerFile, const QString &ownFile)
{
    const QFileInfo container(containerFile);
    if (!container.exists())
        return false;
    const QFileInfo own(ownFile);
    if (own.exists() && own.lastModified() >= container.lastModified())
        return false;

    QFile source(containerFile);
    if (!source.open(QIODevice::ReadOnly)) {
        OVLog(QStringLiteral("[NSUserDefaultsUtil ovImportNewerPreferences] Could not read %1: %2")
                  .arg(containerFile, source.errorString()));
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        OVLog(QStringLiteral("[NSUserDefaultsUtil ovImportNewerPreferences] Could not read %1: %2")
                  .arg(containerFile, source.errorString()));
        return false;
    }

    QDir().mkpath(own.absolutePath());
    QSaveFile target(ownFile);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() || !target.commit()) {
        OVLog(QStringLiteral("[NSUserDefaultsUtil ovImportNewerPreferences] Could not replace %1 with %2: %3")
                  .arg(ownFile, containerFile, target.errorString()));
        return false;
    }

    const QString standardFile = OVUserDefaults::standard().filePath();
    if (QFileInfo(ownFile).absoluteFilePath() == QFileInfo(standardFile).absoluteFilePath())
        OVUserDefaults::resetStandard(standardFile);
    OVLog(QStringLiteral("Found newer preferences in %1 - importing").arg(containerFile));
    return true;
}

#include "platform/OVLocalize.h"

#include <QCoreApplication>

QString OVLocalizedString(const char *englishText)
{
    return QCoreApplication::translate("Nimbrel", englishText);
}

QString OVLocalizedString(const QString &englishText)
{
    return OVLocalizedString(englishText.toUtf8().constData());
}

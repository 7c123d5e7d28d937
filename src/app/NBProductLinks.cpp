#include "app/NBProductLinks.h"

#include "core/NBRegisteredDefaults.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QDesktopServices>

namespace {

void open(const QUrl &url, const char *caller, const char *what)
{
    if (url.isEmpty() || !url.isValid()) {
        OVLog(QStringLiteral("[NBController %1] No %2 is set; nothing is opened.")
                  .arg(QLatin1String(caller), QLatin1String(what)));
        return;
    }
    QDesktopServices::openUrl(url);
}

QString setting(QLatin1String key)
{
    return OVUserDefaults::standard().stringForKey(key).trimmed();
}

} // namespace

namespace NBProductLinks {

QUrl productPage(const QString &path)
{
    QString site = setting(NBSettingKey::productWebURL);
    if (site.isEmpty())
        return QUrl();
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return QUrl(site + path);
}

void openProductPage(const QString &path, const char *caller)
{
    open(productPage(path), caller, "product web address");
}

void openSocialPage()
{
    open(QUrl(setting(NBSettingKey::productSocialURL)), "actionHandler:", "social-media address");
}

void emailSupport()
{
    const QString address = setting(NBSettingKey::supportEmail);
    open(address.isEmpty() ? QUrl() : QUrl(QStringLiteral("mailto:%1?Subject=Nimbrel%20Core%20Support%20Question").arg(address)),
         "actionHandler:", "support mail address");
}

} // namespace NBProductLinks

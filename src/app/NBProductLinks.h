// The product's addresses outside the program (web site, help, social-media page, support
// mail), each a registered default that is empty unless the installation sets it. Opening one
// hands the address to the desktop's default handler; an empty address opens nothing and
// leaves one log line. Main thread.
#pragma once

#include <QString>
#include <QUrl>

namespace NBProductLinks {

/// `NBProductWebURL` + `path` ("/", "/help/", "/redirect/sunset/"); empty when no site is set.
QUrl productPage(const QString &path);
/// Opens the product's page at `path`; `caller` names the operation in the log line.
void openProductPage(const QString &path, const char *caller);
/// Opens `NBProductSocialURL`.
void openSocialPage();
/// Opens a mail to `NBSupportEmail` with the support question's subject.
void emailSupport();

} // namespace NBProductLinks

// The localisation table: every display text and format string is looked up with its English
// text as the key, so an untranslated text shows as written.
#pragma once

#include <QString>

QString OVLocalizedString(const char *englishText);
QString OVLocalizedString(const QString &englishText);

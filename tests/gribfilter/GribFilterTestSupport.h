// Helpers shared by the gribfilter tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <utility>

/// The items of a raw query as a CGI script reads them: split at "&" and at the first "=",
/// "+" read as a blank, then percent-decoded.
inline QList<std::pair<QString, QString>> cgiQueryItems(const QString &rawQuery)
{
    auto decode = [](QString part) {
        part.replace(QLatin1Char('+'), QLatin1Char(' '));
        return QUrl::fromPercentEncoding(part.toLatin1());
    };
    QList<std::pair<QString, QString>> items;
    for (const QString &item : rawQuery.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        items.append({decode(item.left(equals)), equals < 0 ? QString() : decode(item.mid(equals + 1))});
    }
    return items;
}

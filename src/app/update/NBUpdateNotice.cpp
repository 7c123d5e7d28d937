#include "app/update/NBUpdateNotice.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString kIgnoredPrefix = QStringLiteral("NBUpdateNoticeIgnored_");

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.isRelative() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

QString NBUpdateNotice::ignoreDefaultsKey() const
{
    return kIgnoredPrefix + ignorePreferenceKey;
}

std::variant<NBUpdateNotice, NBUpdateNotice::Error> NBUpdateNotice::parse(const QByteArray &data)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Error{Refusal::NotJSON, QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset)};
    if (!document.isObject())
        return Error{Refusal::NotAnObject, QString()};
    const QJsonObject object = document.object();
    for (const char *member : {"title", "bodyURL", "learnMoreURL", "ignorePreferenceKey", "show"}) {
        const QString key = QString::fromLatin1(member);
        if (!object.contains(key))
            return Error{Refusal::MissingMember, key};
        if (!object.value(key).isString())
            return Error{Refusal::NotAString, key};
    }

    NBUpdateNotice notice;
    notice.title = object.value(QStringLiteral("title")).toString();
    notice.ignorePreferenceKey = object.value(QStringLiteral("ignorePreferenceKey")).toString();
    notice.show = object.value(QStringLiteral("show")).toString() == QLatin1String("1");
    notice.dictionary = object.toVariantMap();
    static const QRegularExpression keyPattern(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
    if (!keyPattern.match(notice.ignorePreferenceKey).hasMatch())
        return Error{Refusal::BadIgnoreKey, notice.ignorePreferenceKey};
    for (const char *member : {"bodyURL", "learnMoreURL"}) {
        const QString text = object.value(QString::fromLatin1(member)).toString();
        const QUrl url(text, QUrl::StrictMode);
        if (!isWebAddress(url))
            return Error{Refusal::BadURL, text};
        (qstrcmp(member, "bodyURL") == 0 ? notice.bodyURL : notice.learnMoreURL) = url;
    }
    return notice;
}

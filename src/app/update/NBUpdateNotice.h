// The status document of the update notice: a JSON object with the five string members
// "title", "bodyURL", "learnMoreURL", "ignorePreferenceKey" and "show". `parse` accepts only a
// document the program can act on safely; anything else is a typed refusal for the log.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <variant>

struct NBUpdateNotice
{
    QString title;
    QUrl bodyURL;
    QUrl learnMoreURL;
    QString ignorePreferenceKey;
    bool show = false;
    /// The document as received.
    QVariantMap dictionary;

    /// The user default that remembers "Ignore": a fixed prefix and the document's key, so a
    /// document can never name one of the program's own settings.
    QString ignoreDefaultsKey() const;

    enum class Refusal {
        NotJSON,       ///< the body does not parse
        NotAnObject,   ///< the top level is not a JSON object
        MissingMember, ///< one of the five members is absent
        NotAString,    ///< one of the five members is not a JSON string
        BadIgnoreKey,  ///< the key is not 1 to 64 of A-Z a-z 0-9 _ . -
        BadURL,        ///< an address that is not absolute http or https
    };
    struct Error
    {
        Refusal refusal;
        QString detail;
    };

    static std::variant<NBUpdateNotice, Error> parse(const QByteArray &data);
};

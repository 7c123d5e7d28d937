// Reads the time texts of NDFD replies ("2013-11-10T14:00:00-07:00") into UTC instants.
//
// One reply repeats the same few dozen texts across its time layouts, so parsed texts are kept
// in a cache until `clearCache`; the NDFD clients clear it on every download notification.
// Main thread only: the ICU formatter and the cache are not guarded.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <unicode/smpdtfmt.h>

#include <memory>

class OVNDFDDateParser
{
public:
    enum class Caching { On, Off };

    explicit OVNDFDDateParser(Caching caching = Caching::On);
    ~OVNDFDDateParser();
    OVNDFDDateParser(const OVNDFDDateParser &) = delete;
    OVNDFDDateParser &operator=(const OVNDFDDateParser &) = delete;

    /// The instant of a text of the form yyyy-MM-ddTHH:mm:ss followed by a zone offset written
    /// ±hh:mm or ±hhmm; an invalid QDateTime when the text is anything else (no offset, trailing
    /// characters, impossible fields). Parsed texts are cached under the text as received.
    QDateTime dateForNDFDString(const QString &text);

    void clearCache() { mCache.clear(); }
    /// With caching off every text is parsed anew (for measuring what the cache saves).
    void setCaching(Caching caching)
    {
        mCaching = caching;
        mCache.clear();
    }
    qsizetype cacheSize() const { return mCache.size(); }

private:
    QDateTime parse(const QString &text) const;

    Caching mCaching;
    std::unique_ptr<icu::SimpleDateFormat> mFormatter;
    QHash<QString, QDateTime> mCache;
};

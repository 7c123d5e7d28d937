// The line format of the forecast data service, read into the steps a client applies to its
// cache.
//
// A reply is a sequence of sections ("##LOCATION\t<lat>\t<lon>\t<offset minutes>" ...
// "##/LOCATION", "##SURFACE_ANALYSIS" ... "##/SURFACE_ANALYSIS") holding datasets
// ("##DATASET\t<name>" ... "##/DATASET"). A dataset of a location section is a tab-separated
// table whose first line names the columns; a dataset of the surface-analysis section is a list of
// raw lines. Format errors are logged (always) and skipped; everything else in the reply is kept.
//
// Pure functions of their input, any thread.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <variant>
#include <vector>

namespace OVBrisantSection {
/// Section key of the bulletin and the name of its current dataset.
inline const QString surfaceAnalysis = QStringLiteral("SURFACE_ANALYSIS");
inline const QString latest = QStringLiteral("LATEST");
/// Dataset names of a location section.
inline const QString dailyForecast = QStringLiteral("DAILY_FORECAST");
inline const QString hourlyForecast = QStringLiteral("HOURLY_FORECAST");
} // namespace OVBrisantSection

class OVBrisantReplyParser
{
public:
    /// A finished dataset: store `rows` under the section key and dataset name. Table rows are
    /// already converted to forecast periods; raw lines are texts.
    struct StoreDataset
    {
        QString section;
        QString dataset;
        QVariantList rows;
    };
    /// A section closed properly: it is now up to date and no longer loading.
    struct CloseSection
    {
        QString section;
    };
    using Step = std::variant<StoreDataset, CloseSection>;

    /// The steps of a reply, in reply order.
    static std::vector<Step> parse(const QString &reply);

    /// The reply's bytes as text: UTF-8, or Latin-1 when they are not valid UTF-8.
    static QString decode(const QByteArray &bytes);

    /// "%.2f,%.2f,%d" of a "##LOCATION" line (coordinates read in single precision, the offset
    /// as an integer), independent of the locale; null with fewer than four fields.
    static QString locationDescriptionFromLine(const QString &line);
    /// The second tab field of a "##DATASET" line; null with fewer than two fields.
    static QString datatypeFromLine(const QString &line);

    /// Table rows as forecast periods: every column kept, element keys added, and dates from
    /// "Time" ("date" and "endDate" at it, "startDate" 3 hours before) or else from "Start Time"
    /// and "End Time".
    static QVariantList convertedArray(const QList<QVariantMap> &rows);
    /// A "yyyy-MM-dd HH:mm:ss" UTC time of the service; invalid when the text is not one.
    static QDateTime dateFromServiceText(const QString &text);

private:
    OVBrisantReplyParser() = default;
    void handleLine(const QString &line);
    void openSection(const QString &key, bool surfaceAnalysis);
    void closeSection(bool surfaceAnalysis);
    void openDataset(const QString &line);
    void closeDataset();
    void addDatasetLine(const QString &line);

    std::vector<Step> mSteps;
    bool mSectionOpen = false;
    QString mSection;
    bool mDatasetOpen = false;
    QString mDataset;
    bool mDatasetIsTable = false;
    QStringList mHeader;
    bool mHaveHeader = false;
    QList<QVariantMap> mTableRows;
    QVariantList mRawLines;
};

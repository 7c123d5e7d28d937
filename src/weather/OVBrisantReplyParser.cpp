// Reading the forecast data service's line format: sections, datasets, table rows and times.
#include "weather/OVBrisantReplyParser.h"

#include "core/OVICUSupport.h"
#include "platform/OVLog.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"

#include <QStringDecoder>

#include <unicode/smpdtfmt.h>

#include <memory>

namespace {

const QLatin1String kLocationStart("##LOCATION");
const QLatin1String kLocationEnd("##/LOCATION");
const QLatin1String kSurfaceAnalysisStart("##SURFACE_ANALYSIS");
const QLatin1String kSurfaceAnalysisEnd("##/SURFACE_ANALYSIS");
const QLatin1String kDatasetStart("##DATASET");
const QLatin1String kDatasetEnd("##/DATASET");

const QString kTimeColumn = QStringLiteral("Time");
const QString kStartTimeColumn = QStringLiteral("Start Time");
const QString kEndTimeColumn = QStringLiteral("End Time");

// A row's "Time" is the end of the 3-hour step it describes.
constexpr qint64 kHourlyStepSeconds = 3 * 3600;

void parseWarning(const char *text)
{
    OVLog(QStringLiteral("OVBrisantBroker parse warning:  ") + QLatin1String(text));
}

void parseError(const char *text)
{
    OVLog(QStringLiteral("OVBrisantBroker parse error:  ") + QLatin1String(text));
}

// The service's time texts, parsed strictly in UTC; one formatter per thread (ICU formatters
// are not thread-safe).
icu::SimpleDateFormat &serviceTimeFormatter()
{
    thread_local std::unique_ptr<icu::SimpleDateFormat> formatter;
    if (!formatter) {
        UErrorCode status = U_ZERO_ERROR;
        formatter = std::make_unique<icu::SimpleDateFormat>(
            icu::UnicodeString("yyyy-MM-dd HH:mm:ss"), icu::Locale("en_US_POSIX"), status);
        formatter->adoptCalendar(OVICUSupport::newGregorianCalendar(QTimeZone::utc()).release());
        formatter->setLenient(false);
    }
    // The analyzer treats a thread_local unique_ptr as destroyed at function exit.
    return *formatter; // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

} // namespace

std::vector<OVBrisantReplyParser::Step> OVBrisantReplyParser::parse(const QString &reply)
{
    OVBrisantReplyParser parser;
    // A NUL in a reply is damage, and the cache file cannot hold one: it reads as U+FFFD, as
    // the cache would keep it.
    QString text = reply;
    text.replace(QChar(0), QChar::ReplacementCharacter);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        parser.handleLine(line);
    }
    return std::move(parser.mSteps);
}

QString OVBrisantReplyParser::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

void OVBrisantReplyParser::handleLine(const QString &line)
{
    if (line.startsWith(kLocationStart))
        openSection(locationDescriptionFromLine(line), false);
    else if (line.startsWith(kLocationEnd))
        closeSection(false);
    else if (line.startsWith(kSurfaceAnalysisStart))
        openSection(OVBrisantSection::surfaceAnalysis, true);
    else if (line.startsWith(kSurfaceAnalysisEnd))
        closeSection(true);
    else if (line.startsWith(kDatasetStart))
        openDataset(line);
    else if (line.startsWith(kDatasetEnd))
        closeDataset();
    else if (mSectionOpen && mDatasetOpen)
        addDatasetLine(line);
}

// A section whose key cannot be read is not open: its datasets find no section and are dropped.
void OVBrisantReplyParser::openSection(const QString &key, bool surfaceAnalysis)
{
    if (mSectionOpen)
        parseWarning(surfaceAnalysis ? "Starting surface analysis without ending an old section."
                                     : "Starting a new location without ending an old one.");
    if (mDatasetOpen)
        parseWarning(surfaceAnalysis ? "Starting surface analysis while still working on a dataset.  "
                                       "In-progress dataset will be skipped."
                                     : "Starting a new location while still working on a dataset.  "
                                       "In-progress dataset will be skipped.");
    mDatasetOpen = false;
    mSectionOpen = !key.isNull();
    mSection = key;
}

void OVBrisantReplyParser::closeSection(bool surfaceAnalysis)
{
    if (!mSectionOpen)
        parseWarning(surfaceAnalysis ? "Ending surface analysis that was never started."
                                     : "Ending a location that was never started.");
    if (mDatasetOpen)
        parseWarning(surfaceAnalysis ? "Ending surface analysis while still working on a dataset.  "
                                       "In-progress dataset will be skipped."
                                     : "Ending a location while still working on a dataset.  "
                                       "In-progress dataset will be skipped.");
    if (mSectionOpen)
        mSteps.push_back(CloseSection{mSection});
    mSectionOpen = false;
    mSection.clear();
    mDatasetOpen = false;
}

void OVBrisantReplyParser::openDataset(const QString &line)
{
    if (mDatasetOpen)
        parseWarning("Starting a new dataset while still working on an existing dataset.  "
                     "In-progress dataset will be skipped.");
    mDatasetOpen = true;
    mDataset = datatypeFromLine(line);
    mDatasetIsTable = mSection != OVBrisantSection::surfaceAnalysis;
    mHeader.clear();
    mHaveHeader = false;
    mTableRows.clear();
    mRawLines.clear();
}

void OVBrisantReplyParser::closeDataset()
{
    if (!mDatasetOpen) {
        parseError("Ending a dataset that was never started.");
        return;
    }
    mDatasetOpen = false;
    if (!mSectionOpen || mDataset.isNull())
        return;
    mSteps.push_back(StoreDataset{mSection, mDataset,
                                  mDatasetIsTable ? convertedArray(mTableRows) : mRawLines});
}

void OVBrisantReplyParser::addDatasetLine(const QString &line)
{
    if (!mDatasetIsTable) {
        mRawLines.append(line);
        return;
    }
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (!mHaveHeader) {
        mHeader = fields;
        mHaveHeader = true;
        return;
    }
    if (fields.size() != mHeader.size()) {
        parseError("Line columns doesn't match key count.");
        return;
    }
    QVariantMap row;
    for (qsizetype i = 0; i < fields.size(); ++i)
        row.insert(mHeader.at(i), fields.at(i));
    mTableRows.append(row);
}

QString OVBrisantReplyParser::locationDescriptionFromLine(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 4)
        return QString();
    const float latitude = OVValueConversion::toFloat(fields.at(1));
    const float longitude = OVValueConversion::toFloat(fields.at(2));
    const int offset = int(OVValueConversion::integerValue(fields.at(3)));
    return QString::asprintf("%.2f,%.2f,%d", double(latitude), double(longitude), offset);
}

QString OVBrisantReplyParser::datatypeFromLine(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    return fields.size() < 2 ? QString() : fields.at(1);
}

QDateTime OVBrisantReplyParser::dateFromServiceText(const QString &text)
{
    const icu::UnicodeString source = OVICUSupport::toICU(text);
    icu::ParsePosition position(0);
    const UDate date = serviceTimeFormatter().parse(source, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != source.length())
        return QDateTime();
    return OVICUSupport::fromUDate(date);
}

QVariantList OVBrisantReplyParser::convertedArray(const QList<QVariantMap> &rows)
{
    QVariantList periods;
    periods.reserve(rows.size());
    for (QVariantMap row : rows) {
        OVForecastPeriod::addElementKeys(row);
        if (row.contains(kTimeColumn)) {
            const QDateTime time = dateFromServiceText(row.value(kTimeColumn).toString());
            if (time.isValid()) {
                row.insert(OVForecastKey::endDate, time);
                row.insert(OVForecastKey::date, time);
                row.insert(OVForecastKey::startDate, time.addSecs(-kHourlyStepSeconds));
            }
        } else if (row.contains(kStartTimeColumn) && row.contains(kEndTimeColumn)) {
            const QDateTime start = dateFromServiceText(row.value(kStartTimeColumn).toString());
            const QDateTime end = dateFromServiceText(row.value(kEndTimeColumn).toString());
            if (start.isValid())
                row.insert(OVForecastKey::startDate, start);
            if (end.isValid())
                row.insert(OVForecastKey::endDate, end);
        }
        periods.append(row);
    }
    return periods;
}

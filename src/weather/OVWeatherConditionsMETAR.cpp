// METAR decoding for the weather conditions record: a whole report, or one group at a time as
// the observation client does for the weather codes it receives.
//
// A report is split at single spaces into fields; field 0 is the station, field 1 the day and
// time (DDHHMMZ). Each group decoder searches the fields from index 1 on with the project's ICU
// patterns and takes the first that matches. Units of the report: knots (or m/s), statute miles
// (or metres), whole or tenth degrees Celsius, inches of mercury (or hectopascals), hundredths
// of an inch of precipitation.
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "core/OVStringUtil.h"
#include "core/NSDateUtil.h"
#include "core/regex/ExtRegexAdditions.h"
#include "platform/OVLog.h"

namespace {

constexpr double kKnotsPerMPS = 1.9438445;

/// A wind group: optional GRID prefix, three-digit direction or VRB, 2-3 digit speed, optional
/// gust, unit.
const QString kWindKnots = QStringLiteral("^(GRID)?([0-9]{3}|VRB)([0-9]{2,3})(G([0-9]{2,3}))?KT$");
const QString kWindMPS = QStringLiteral("^(GRID)?([0-9]{3}|VRB)([0-9]{2,3})(G([0-9]{2,3}))?MPS$");

const QStringList &descriptors()
{
    static const QStringList codes = {
        QStringLiteral("MI"), QStringLiteral("PR"), QStringLiteral("BC"), QStringLiteral("DR"),
        QStringLiteral("BL"), QStringLiteral("SH"), QStringLiteral("TS"), QStringLiteral("FZ")};
    return codes;
}

/// The field at `index`, or null.
QString fieldAt(const QStringList &fields, int64_t index)
{
    return index == OVNotFound || index >= fields.size() ? QString() : fields.at(qsizetype(index));
}

/// The parts of the first wind group (KT, else MPS): captures, and the factor to knots.
struct WindGroup
{
    QStringList captures;
    double knotsPerUnit = 1.0;
};

std::optional<WindGroup> findWindGroup(const QStringList &fields)
{
    for (const auto &[pattern, factor] : {std::pair{kWindKnots, 1.0}, std::pair{kWindMPS, kKnotsPerMPS}}) {
        const QString group = fieldAt(fields, OVWeatherConditions::findString(pattern, fields));
        if (!group.isNull())
            return WindGroup{ExtRegexAdditions::captureComponentsMatchedByRegex(group, pattern), factor};
    }
    return std::nullopt;
}

/// Miles of a statute-mile value text: whole ("10"), fraction ("1/2") or whole plus fraction
/// ("1 1/2" spread over two fields); none when no number can be read.
std::optional<double> milesFromText(const QString &text)
{
    if (ExtRegexAdditions::isMatchedByRegex(text, QStringLiteral("^[0-9]+(\\.[0-9]+)?$")))
        return text.toDouble();
    const QStringList fraction = ExtRegexAdditions::captureComponentsMatchedByRegex(
        text, QStringLiteral("^([0-9]+)/([0-9]+)$"));
    if (fraction.size() != 3 || fraction.at(2).toDouble() == 0.0)
        return std::nullopt;
    return fraction.at(1).toDouble() / fraction.at(2).toDouble();
}

/// The text without a leading "M" (less than) or "P" (more than): the value stands for itself.
QString withoutBoundPrefix(QString text)
{
    if (text.startsWith(QLatin1Char('M')) || text.startsWith(QLatin1Char('P')))
        text.remove(0, 1);
    return text;
}

/// One weather group: intensity, descriptor and the first type.
void decodeWeatherGroup(const QString &group, QString &intensity, QString &descriptor, QString &type)
{
    qsizetype position = 0;
    if (group.startsWith(QLatin1String("VC"))) {
        intensity = QStringLiteral("VC");
        position = 2;
    } else if (group.startsWith(QLatin1Char('-')) || group.startsWith(QLatin1Char('+'))) {
        intensity = group.left(1);
        position = 1;
    } else {
        intensity = QLatin1String("");
    }
    if (OVStringUtil::hasAnyStringInArray(group, descriptors(), position) != OVNotFound) {
        descriptor = group.mid(position, 2);
        position += 2;
    } else {
        descriptor = QLatin1String("");
    }
    type = group.size() - position >= 2 ? group.mid(position, 2) : QString(QLatin1String(""));
}

} // namespace

int64_t OVWeatherConditions::findString(const QString &regex, const QStringList &fields)
{
    if (regex.isNull()) {
        OVDebugLog(QStringLiteral("[OVWeatherConditions findString] search regex is nil"));
        return OVNotFound;
    }
    if (regex.isEmpty()) {
        OVDebugLog(QStringLiteral("[OVWeatherConditions findString] search regex is 0 length"));
        return OVNotFound;
    }
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QString &field = fields.at(i);
        if (field.isNull()) {
            OVDebugLog(QStringLiteral("[OVWeatherConditions findString] array string is nil"));
            continue;
        }
        if (!field.isEmpty() && ExtRegexAdditions::isMatchedByRegex(field, regex))
            return i;
    }
    return OVNotFound;
}

std::optional<OVWeatherConditions>
OVWeatherConditions::weatherConditionsFromMETAR(const QString &metar, const QString &stationName,
                                                const OVLocation *location, const OVClock &clock)
{
    Q_UNUSED(location);
    QString text = metar;
    text.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).remove(QLatin1Char('\t'));
    const QStringList fields = text.split(QLatin1Char(' '));
    if (fields.size() <= 1 || fields.first() != stationName)
        return std::nullopt;

    OVWeatherConditions conditions;
    if (!conditions.setDayAndTimeFromMETARFields(fields, QTimeZone::utc(), clock))
        return std::nullopt;
    conditions.setWindDirectionFromMETARFields(fields);
    conditions.setWindSpeedFromMETARFields(fields);
    conditions.setGustSpeedFromMETARFields(fields);
    conditions.setVisibilityFromMETARFields(fields);
    conditions.setTemperatureFromMETARFields(fields);
    conditions.setDewpointFromMETARFields(fields);
    conditions.setPressureFromMETARFields(fields);
    conditions.setPrecipitationFromMETARFields(fields);
    conditions.setSkyCoverFromMETARFields(fields);
    conditions.mProbabilityOfPrecipitation = conditions.mH1PrecipitationInches > 0.0 ? 100.0 : 0.0;
    return conditions;
}

bool OVWeatherConditions::setDayAndTimeFromMETARFields(const QStringList &fields,
                                                       const QTimeZone &zone, const OVClock &clock)
{
    // DDHHMMZ; a day, hour or minute out of range is no date at all.
    static const QString kDayTime =
        QStringLiteral("^(0[1-9]|[12][0-9]|3[01])([01][0-9]|2[0-3])([0-5][0-9])Z$");
    const QString field = fieldAt(fields, 1);
    if (field.isNull() || !ExtRegexAdditions::isMatchedByRegex(field, kDayTime))
        return false;
    setDay(field.left(2).toInt(), field.mid(2, 4).toInt(), zone, clock);
    return mDate.isValid();
}

void OVWeatherConditions::setDay(int32_t day, int32_t time, const QTimeZone &zone,
                                 const OVClock &clock)
{
    const QTimeZone dayZone = zone.isValid() ? zone : QTimeZone::utc();
    const QDateTime today = clock.now().toTimeZone(dayZone);
    int year = today.date().year();
    int month = today.date().month();
    if (today.date().day() < day && --month < 1) {
        month = 12;
        --year;
    }
    mDate = NSDateUtil::dateForYear(year, month, day, time / 100, time % 100, 0, dayZone);
}

void OVWeatherConditions::setWindDirectionFromMETARFields(const QStringList &fields)
{
    const auto wind = findWindGroup(fields);
    if (!wind)
        return;
    const QString &direction = wind->captures.at(2);
    mWindDirection = direction == QLatin1String("VRB") ? -1.0 : direction.toDouble();
}

void OVWeatherConditions::setWindSpeedFromMETARFields(const QStringList &fields)
{
    if (const auto wind = findWindGroup(fields))
        mWindSpeedKnots = wind->captures.at(3).toDouble() * wind->knotsPerUnit;
}

void OVWeatherConditions::setGustSpeedFromMETARFields(const QStringList &fields)
{
    const auto wind = findWindGroup(fields);
    if (wind && !wind->captures.at(5).isEmpty())
        mGustSpeedKnots = wind->captures.at(5).toDouble() * wind->knotsPerUnit;
}

void OVWeatherConditions::setVisibilityFromMETARFields(const QStringList &fields)
{
    const int64_t index = findString(QStringLiteral("SM$"), fields);
    if (index != OVNotFound) {
        const QString value = withoutBoundPrefix(fields.at(qsizetype(index)).chopped(2));
        std::optional<double> miles = milesFromText(value);
        // "1 1/2SM": the whole miles stand in the field before the fraction.
        if (miles && value.contains(QLatin1Char('/')) && index > 1) {
            const QString whole = withoutBoundPrefix(fields.at(qsizetype(index - 1)));
            if (ExtRegexAdditions::isMatchedByRegex(whole, QStringLiteral("^[0-9]{1,2}$")))
                *miles += whole.toDouble();
        }
        mVisibilityMiles = miles.value_or(OVNoValue);
        return;
    }
    const QString metres = fieldAt(fields, findString(QStringLiteral("^[0-9]{4}$"), fields));
    if (!metres.isNull())
        mVisibilityMiles = metres.toDouble() / 1000.0 / 1.609;
}

void OVWeatherConditions::setTemperatureFromMETARFields(const QStringList &fields)
{
    const QString remarks =
        fieldAt(fields, findString(QStringLiteral("^T[01][0-9]{3}[01][0-9]{3}$"), fields));
    if (!remarks.isNull()) {
        const double value = remarks.mid(2, 3).toDouble() / 10.0;
        mTemperatureC = remarks.at(1) == QLatin1Char('1') ? -value : value;
        return;
    }
    for (const QString &pattern : {QStringLiteral("^M?[0-9]{2}/(M?[0-9]{2})?$"),
                                   QStringLiteral("^M?[0-9]{2}/(XX)?$")}) {
        const QString group = fieldAt(fields, findString(pattern, fields));
        if (group.isNull())
            continue;
        const bool negative = group.startsWith(QLatin1Char('M'));
        const double value = group.mid(negative ? 1 : 0, 2).toDouble();
        mTemperatureC = negative ? -value : value;
        return;
    }
}

void OVWeatherConditions::setDewpointFromMETARFields(const QStringList &fields)
{
    const QString remarks =
        fieldAt(fields, findString(QStringLiteral("^T[01][0-9]{3}[01][0-9]{3}$"), fields));
    if (!remarks.isNull()) {
        const double value = remarks.mid(6, 3).toDouble() / 10.0;
        mDewpointC = remarks.at(5) == QLatin1Char('1') ? -value : value;
        return;
    }
    const QString group =
        fieldAt(fields, findString(QStringLiteral("^M?[0-9]{2}/M?[0-9]{2}$"), fields));
    if (group.isNull())
        return;
    const QString after = group.mid(group.indexOf(QLatin1Char('/')) + 1);
    const bool negative = after.startsWith(QLatin1Char('M'));
    const double value = after.mid(negative ? 1 : 0).toDouble();
    mDewpointC = negative ? -value : value;
}

void OVWeatherConditions::setPressureFromMETARFields(const QStringList &fields)
{
    // The altimeter in hundredths (or thousandths) of an inch first, then QNH in hectopascals,
    // then the sea-level pressure of the remarks.
    const QString altimeter = fieldAt(fields, findString(QStringLiteral("^A[123][0-9]{3,4}"), fields));
    if (altimeter.size() == 5 || altimeter.size() == 6) {
        setPressureIn(altimeter.mid(1).toDouble() / (altimeter.size() == 5 ? 100.0 : 1000.0));
        return;
    }
    const QString qnh = fieldAt(fields, findString(QStringLiteral("^Q[0-9]{3,4}"), fields));
    if (!qnh.isNull()) {
        setPressureHPA(
            ExtRegexAdditions::stringByMatching(qnh, QStringLiteral("^Q([0-9]{3,4})"), 1).toDouble());
        return;
    }
    const QString slp = fieldAt(fields, findString(QStringLiteral("^SLP[0-9]{3}"), fields));
    if (!slp.isNull()) {
        const double tenths = slp.mid(3, 3).toDouble();
        mPressureMB = tenths / 10.0 + (tenths >= 550.0 ? 900.0 : 1000.0);
    }
}

void OVWeatherConditions::setPrecipitationFromMETARFields(const QStringList &fields)
{
    // Hundredths of an inch after the group's first character, 0 to 30 inches.
    const auto amount = [&](const QString &pattern, double &field) {
        const QString group = fieldAt(fields, findString(pattern, fields));
        if (group.isNull())
            return;
        const double inches = group.mid(1).toDouble() / 100.0;
        field = inches >= 0.0 && inches <= 30.0 ? inches : OVNoValue;
    };
    amount(QStringLiteral("^P[0-9]{4}$"), mH1PrecipitationInches);
    amount(QStringLiteral("^3[0-9]{4}$"), mH3PrecipitationInches);
    amount(QStringLiteral("^6[0-9]{4}$"), mH6PrecipitationInches);
    amount(QStringLiteral("^7[0-9]{4}$"), mH24PrecipitationInches);
    const QString snow = fieldAt(fields, findString(QStringLiteral("^4/[0-9]{3}$"), fields));
    if (!snow.isNull()) {
        const double inches = snow.mid(2).toDouble();
        mSnowDepthInches = inches >= 0.0 && inches <= 999.0 ? inches : OVNoValue;
    }

    static const QString kDescriptor = QStringLiteral("(MI|PR|BC|DR|BL|SH|TS|FZ)?");
    const struct
    {
        QString pattern;
        QString &intensity, &descriptor, &type;
    } groups[] = {
        {"^[-+]?" + kDescriptor + "(DZ|RA|SN|SG|IC|PE|GR|GS|UP)+$", mPrecipitationIntensity,
         mPrecipitationDescriptor, mPrecipitationType},
        {"^[-+]?" + kDescriptor + "(BR|FG|FU|VA|DU|SA|HZ|PY)$", mObscurationIntensity,
         mObscurationDescriptor, mObscurationType},
        {"^[-+]?" + kDescriptor + "(PO|SQ|FC|SS)$", mOtherPhenomenaIntensity,
         mOtherPhenomenaDescriptor, mOtherPhenomenaType},
    };
    for (const auto &g : groups) {
        const QString group = fieldAt(fields, findString(g.pattern, fields));
        if (!group.isNull())
            decodeWeatherGroup(group, g.intensity, g.descriptor, g.type);
    }
}

void OVWeatherConditions::setSkyCoverFromMETARFields(const QStringList &fields)
{
    static const QStringList kPrefixes = {
        QStringLiteral("VV"),  QStringLiteral("CAVOK"), QStringLiteral("SKC"), QStringLiteral("CLR"),
        QStringLiteral("FEW"), QStringLiteral("SCT"),   QStringLiteral("BKN"), QStringLiteral("OVC")};
    QStringList groups;
    for (const QString &field : fields) {
        for (const QString &prefix : kPrefixes) {
            if (field.startsWith(prefix)) {
                groups.append(field);
                break;
            }
        }
    }
    if (!groups.isEmpty())
        mSkyCover = groups.join(QLatin1Char(' '));
}

#include "weather/OVDWMLReader.h"

#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVNDFDDateParser.h"

#include <algorithm>
#include <cmath>

namespace OVDWMLReader {

namespace {

const QString kEscapedStart = QStringLiteral("&lt;?xml ");
const QString kEscapedEnd = QStringLiteral("&lt;/dwml&gt;");

// A UTF-8 byte-order mark as the service's Latin-1 decoding shows it.
const QString kLatin1ByteOrderMark = QString::fromLatin1("\xEF\xBB\xBF");

// Index of the first "<", skipping whitespace and byte-order marks; -1 when anything else
// comes first.
qsizetype documentStart(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i) == QLatin1Char('<'))
            return i;
        if (text.at(i).isSpace() || text.at(i) == QChar(0xFEFF))
            ++i;
        else if (QStringView(text).mid(i).startsWith(kLatin1ByteOrderMark))
            i += kLatin1ByteOrderMark.size();
        else
            return -1;
    }
    return -1;
}

QVariantMap period(const OVDWMLPeriod &p, const QVariant &value)
{
    return {{OVForecastKey::startDate, p.start},
            {OVForecastKey::endDate, p.end},
            {OVForecastKey::value, value}};
}

float numberOf(const QDomElement &valueElement)
{
    const QString text = valueElement.text();
    if (text.isEmpty())
        return float(OVNoValue);
    const float number = float(OVValueConversion::doubleValue(text));
    return std::isfinite(number) ? number : float(OVNoValue);
}

QList<QDateTime> parsedDates(const QList<QDomElement> &elements, OVNDFDDateParser &dates)
{
    QList<QDateTime> result;
    result.reserve(elements.size());
    for (const QDomElement &element : elements) {
        const QDateTime date = dates.dateForNDFDString(element.text());
        if (date.isValid())
            result.append(date);
    }
    return result;
}

// Each period ends a second before the next one starts; the last lasts as long as the one
// before it, a lone one three hours.
QList<QDateTime> derivedEnds(const QList<QDateTime> &starts)
{
    QList<QDateTime> ends;
    ends.reserve(starts.size());
    for (qsizetype i = 0; i < starts.size(); ++i) {
        qint64 length = 10800;
        if (i + 1 < starts.size())
            length = starts[i].secsTo(starts[i + 1]) - 1;
        else if (i > 0)
            length = starts[i - 1].secsTo(starts[i]) - 1;
        ends.append(starts[i].addSecs(length));
    }
    return ends;
}

} // namespace

QString cleanupResponseXML(const QString &text)
{
    const qsizetype escapedStart = text.indexOf(kEscapedStart);
    if (escapedStart < 0)
        return text;
    const qsizetype escapedEnd = text.indexOf(kEscapedEnd, escapedStart);
    const qsizetype end = escapedEnd < 0 ? text.size() : escapedEnd + kEscapedEnd.size();
    QString document = text.mid(escapedStart, end - escapedStart);
    document.replace(QLatin1String("&lt;"), QLatin1String("<"));
    document.replace(QLatin1String("&gt;"), QLatin1String(">"));
    document.replace(QLatin1String("&quot;"), QLatin1String("\""));
    document.replace(QLatin1String("&apos;"), QLatin1String("'"));
    return document;
}

std::variant<QDomDocument, OVDWMLError> parseDocument(const QString &text)
{
    const qsizetype start = documentStart(text);
    if (start < 0)
        return OVDWMLError{QStringLiteral("the reply is not XML")};
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(QStringView(text).mid(start).toString(), &message, &line, &column))
        return OVDWMLError{QStringLiteral("the reply is not well-formed XML (line %1, column %2: %3)")
                               .arg(line)
                               .arg(column)
                               .arg(message)};
    if (dataElement(document).isNull())
        return OVDWMLError{QStringLiteral("the reply's root <%1> has no data element")
                               .arg(document.documentElement().tagName())};
    return document;
}

QDomElement dataElement(const QDomDocument &document)
{
    return document.documentElement().firstChildElement(QStringLiteral("data"));
}

QList<QDomElement> childElements(const QDomElement &parent, const QString &name)
{
    QList<QDomElement> result;
    for (QDomElement child = parent.firstChildElement(name); !child.isNull();
         child = child.nextSiblingElement(name))
        result.append(child);
    return result;
}

std::variant<OVDWMLTimeLayouts, OVDWMLError> timeLayouts(const QDomElement &data,
                                                         OVNDFDDateParser &dates)
{
    OVDWMLTimeLayouts layouts;
    for (const QDomElement &layout : childElements(data, QStringLiteral("time-layout"))) {
        const QString key = layout.firstChildElement(QStringLiteral("layout-key")).text();
        const QList<QDomElement> startElements =
            childElements(layout, QStringLiteral("start-valid-time"));
        if (startElements.isEmpty())
            return OVDWMLError{QStringLiteral("time layout \"%1\" has no start times").arg(key)};
        const QList<QDomElement> endElements = childElements(layout, QStringLiteral("end-valid-time"));
        const QList<QDateTime> starts = parsedDates(startElements, dates);
        const QList<QDateTime> ends = endElements.size() == startElements.size()
                                          ? parsedDates(endElements, dates)
                                          : derivedEnds(starts);
        if (starts.size() != ends.size())
            continue;
        QList<OVDWMLPeriod> periods;
        periods.reserve(starts.size());
        for (qsizetype i = 0; i < starts.size(); ++i)
            periods.append({starts[i], ends[i]});
        layouts.insert(key, periods);
    }
    return layouts;
}

std::variant<QList<OVDWMLPoint>, OVDWMLError> points(const QDomElement &data)
{
    QList<OVDWMLPoint> result;
    for (const QDomElement &location : childElements(data, QStringLiteral("location"))) {
        const QDomElement key = location.firstChildElement(QStringLiteral("location-key"));
        const QDomElement point = location.firstChildElement(QStringLiteral("point"));
        if (key.isNull() || point.isNull())
            return OVDWMLError{QStringLiteral("a location lacks its location-key or point")};
        const QString latitude = point.attribute(QStringLiteral("latitude"), QString());
        const QString longitude = point.attribute(QStringLiteral("longitude"), QString());
        const QString ndfdKey = OVForecastPeriod::ndfdKey(latitude, longitude);
        if (ndfdKey.isNull())
            return OVDWMLError{QStringLiteral("point \"%1\" has no usable coordinates (%2, %3)")
                                   .arg(key.text(), latitude, longitude)};
        result.append({ndfdKey, key.text()});
    }
    return result;
}

QDomElement parametersFor(const QDomElement &data, const QString &locationKey)
{
    for (const QDomElement &parameters : childElements(data, QStringLiteral("parameters")))
        if (parameters.attribute(QStringLiteral("applicable-location")) == locationKey)
            return parameters;
    return {};
}

std::optional<QList<OVDWMLPeriod>> layoutFor(const QDomElement &element,
                                             const OVDWMLTimeLayouts &layouts,
                                             const QString &layoutKey)
{
    const QString key = !layoutKey.isEmpty() ? layoutKey
                                             : element.attribute(QStringLiteral("time-layout"));
    if (key.isEmpty())
        return std::nullopt;
    const auto found = layouts.constFind(key);
    if (found == layouts.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<QVariantList> createForecastFloatDataset(const QDomElement &element,
                                                       const OVDWMLTimeLayouts &layouts,
                                                       const QString &layoutKey)
{
    const auto periods = layoutFor(element, layouts, layoutKey);
    if (!periods)
        return std::nullopt;
    const QList<QDomElement> values = childElements(element, QStringLiteral("value"));
    if (values.size() != periods->size())
        return std::nullopt;
    QVariantList series;
    series.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        series.append(period(periods->at(i), numberOf(values[i])));
    return series;
}

std::optional<QVariantList> createForecastStringDataset(const QDomElement &element,
                                                        const OVDWMLTimeLayouts &layouts,
                                                        const QString &layoutKey,
                                                        const QString &valueElement)
{
    const auto periods = layoutFor(element, layouts, layoutKey);
    if (!periods)
        return std::nullopt;
    const QList<QDomElement> values = childElements(element, valueElement);
    if (values.size() != periods->size())
        return std::nullopt;
    QVariantList series;
    series.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        series.append(period(periods->at(i), values[i].text()));
    return series;
}

QString temperatureKey(const QString &type)
{
    if (type == QLatin1String("maximum"))
        return OVForecastKey::maxt;
    if (type == QLatin1String("minimum"))
        return OVForecastKey::mint;
    if (type == QLatin1String("hourly"))
        return OVForecastKey::hourlyt;
    if (type == QLatin1String("dew point"))
        return OVForecastKey::dewpoint;
    return QString();
}

OVDWMLIcon iconFromLink(const QString &link)
{
    const QString file = link.section(QLatin1Char('/'), -1);
    QString name = file.section(QLatin1Char('.'), 0, 0);
    if (name.isEmpty())
        return {QStringLiteral("na"), 0};
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const qsizetype firstDigit =
        std::distance(name.cbegin(), std::find_if(name.cbegin(), name.cend(), isDigit));
    if (name == QLatin1String("ra1") || firstDigit >= name.size())
        return {name, 0};
    const int probability = int(OVValueConversion::integerValue(QStringView(name).mid(firstDigit)));
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isDigit(name.at(begin)))
        ++begin;
    while (end > begin && isDigit(name.at(end - 1)))
        --end;
    return {name.mid(begin, end - begin), probability};
}

} // namespace OVDWMLReader

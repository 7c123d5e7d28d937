// Reading DWML, the XML dialect of the NDFD service: unwrapping the escaped reply, the time
// layouts, the points and the value series every NDFD client builds its point forecasts from.
//
// A series is a QVariantList of periods {"startDate", "endDate", "value"}, the dates UTC. Children
// "by name" are direct children only. Pure functions apart from the date parser's cache; main
// thread (the date parser is not guarded).
#pragma once

#include <QDateTime>
#include <QDomDocument>
#include <QDomElement>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariantList>

#include <optional>
#include <variant>

class OVNDFDDateParser;

/// Why a reply could not be read.
struct OVDWMLError
{
    QString reason;
};

struct OVDWMLPeriod
{
    QDateTime start;
    QDateTime end;
};

/// Layout key -> its periods, in document order.
using OVDWMLTimeLayouts = QHash<QString, QList<OVDWMLPeriod>>;

/// One forecast point of a reply: its NDFD key and the location-key text its parameters name.
struct OVDWMLPoint
{
    QString ndfdKey;
    QString locationKey;
};

/// An icon's name without its probability digits, and that probability (0 when none).
struct OVDWMLIcon
{
    QString name;
    int probability = 0;
};

namespace OVDWMLReader {

/// The DWML document inside a reply. The service may wrap the document in escaped form; then
/// the text from "&lt;?xml " through "&lt;/dwml&gt;" is taken and unescaped (&lt; &gt; &quot;
/// &apos; only, so "&amp;" stays escaped). A plain document is returned whole, unchanged.
QString cleanupResponseXML(const QString &text);

/// The parsed document; whitespace and a byte-order mark before the first "<" are ignored.
/// An error when the text is not well-formed XML or its root has no "data" child.
std::variant<QDomDocument, OVDWMLError> parseDocument(const QString &text);
/// The root's first "data" child.
QDomElement dataElement(const QDomDocument &document);

/// Direct children of `parent` named `name`, in document order.
QList<QDomElement> childElements(const QDomElement &parent, const QString &name);

/// Every "time-layout" of `data` under its "layout-key". Starts (and ends) that do not parse are
/// dropped; without end times each period ends one second before the next start (the last one
/// lasts as long as the one before it, a lone one 3 hours). A layout whose start and end counts
/// differ is left out. An error when a layout has no "start-valid-time" at all.
std::variant<OVDWMLTimeLayouts, OVDWMLError> timeLayouts(const QDomElement &data,
                                                         OVNDFDDateParser &dates);

/// The "location" children of `data` as points. An error when one lacks its "location-key" or
/// "point", or a point's coordinates are missing or not finite.
std::variant<QList<OVDWMLPoint>, OVDWMLError> points(const QDomElement &data);

/// The first "parameters" child of `data` whose "applicable-location" is `locationKey`.
QDomElement parametersFor(const QDomElement &data, const QString &locationKey);

/// A number series from the element's "value" children over the layout `layoutKey` (empty: the
/// element's "time-layout" attribute). None when the layout is unknown or the counts differ.
/// An empty or nil value, or an infinite one, reads as -1000; text without a leading number as 0.
std::optional<QVariantList> createForecastFloatDataset(const QDomElement &element,
                                                       const OVDWMLTimeLayouts &layouts,
                                                       const QString &layoutKey = QString());
/// A text series from the element's `valueElement` children, as createForecastFloatDataset.
std::optional<QVariantList> createForecastStringDataset(const QDomElement &element,
                                                        const OVDWMLTimeLayouts &layouts,
                                                        const QString &layoutKey,
                                                        const QString &valueElement);

/// The periods of the layout named by `layoutKey` or else by the element's "time-layout"
/// attribute; none when there is no such layout.
std::optional<QList<OVDWMLPeriod>> layoutFor(const QDomElement &element,
                                             const OVDWMLTimeLayouts &layouts,
                                             const QString &layoutKey);

/// The series key of a "temperature" element's type: "maximum", "minimum", "hourly" and
/// "dew point" give "maxt", "mint", "hourlyt" and "dewpoint"; other types null.
QString temperatureKey(const QString &type);

/// An icon link's name: its last path component up to the first "." ("na" when empty).
/// Except for "ra1", a name with a digit loses the digits at both ends and `probability` gets
/// the integer from the first digit on ("hi_tsra40" -> "hi_tsra", 40); otherwise 0.
OVDWMLIcon iconFromLink(const QString &link);

} // namespace OVDWMLReader

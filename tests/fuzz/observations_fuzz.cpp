// Fuzz target for the observation service's JSON reply: each location's key and every
// observation made into a record, whose texts and dictionary form are then read in every unit.
// Any input must end in records or refusals; a crash or sanitizer report (such as a number
// beyond int converted for a text) is a finding.
#include "ConditionsTexts.h"
#include "FuzzSupport.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using Broker = OVBrisantObservationsBroker;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QJsonValue locations = document.object().value(QStringLiteral("Locations"));
    for (const QJsonValue &location : locations.toArray()) {
        (void)Broker::keyForJSONLocationDictionary(location.toObject());
        for (const QJsonValue &observation : location.toObject().value(QStringLiteral("Observations")).toArray()) {
            if (const auto record = Broker::conditionsForJSONObservation(observation.toObject()))
                FuzzSupport::readEveryText(*record);
        }
    }
    return 0;
}

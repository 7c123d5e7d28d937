// bench-libraries: nimbrel_weather
// Reading one NDFD time-series reply with every element (81 KB, 20 time layouts, one point)
// into a point forecast, as the hourly client does for each download notification: with the
// time-text cache (each distinct text parsed once per reply) and with every text parsed anew.
#include "core/remote/OVURLManager.h"
#include "platform/OVClock.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVDWMLReader.h"
#include "weather/OVHourlyNDFD.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString allElementsReply()
{
    QFile file(QStringLiteral(NIMBREL_BENCH_DATA_DIR
                              "/../../tests/data/weather/ndfd/"
                              "timeseries_all_elements_2013-11-10_39.70_-104.75.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return OVDWMLReader::cleanupResponseXML(QString::fromLatin1(file.readAll()));
}

void parseReply(benchmark::State &state, OVNDFDDateParser::Caching caching)
{
    const QString reply = allElementsReply();
    if (reply.isEmpty()) {
        state.SkipWithError("the all-elements reply is missing");
        return;
    }
    QTemporaryDir folder;
    OVUserDefaults settings(folder.filePath(QStringLiteral("settings.conf")));
    OVURLManager manager;
    OVHourlyNDFD client(manager, settings, OVClock::system());
    client.ndfdDateParser().setCaching(caching);
    for (auto _ : state) {
        client.ndfdDateParser().clearCache(); // as every download notification does
        auto parsed = client.parseXMLIntoForecastDictionary(reply);
        if (!std::holds_alternative<QVariantMap>(parsed)) {
            state.SkipWithError("the reply did not parse");
            return;
        }
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * reply.size());
}

void BM_ParseAllElementsWithTimeTextCache(benchmark::State &state)
{
    parseReply(state, OVNDFDDateParser::Caching::On);
}
BENCHMARK(BM_ParseAllElementsWithTimeTextCache)->Unit(benchmark::kMicrosecond);

void BM_ParseAllElementsWithoutTimeTextCache(benchmark::State &state)
{
    parseReply(state, OVNDFDDateParser::Caching::Off);
}
BENCHMARK(BM_ParseAllElementsWithoutTimeTextCache)->Unit(benchmark::kMicrosecond);

} // namespace

// bench-libraries: nimbrel_map nimbrel_core
// Place labels on the full location.db (cities above 50,000 people) at world zoom in a
// 1600 x 1000 view: the full label pass against the cached pass, with every texture loaded; the
// textures a first pass asks for when none is loaded, under the rule that asks for every label
// in view and under ours (not under a label still loading); and rendering one label's image.
// Reads NIMBREL_LOCATION_DB, else build-release/src/location.db; skips without it.
//
//   xvfb-run -a ./map_labels_bench
#include "core/OVKeyValueMap.h"
#include "core/OVLocationDB.h"
#include "map/layers/OVMapTextLayer.h"
#include "map/gl/OVTextureRegistry.h"

#include <QApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const OVGeoRect kWorld = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);
constexpr double kPixelsPerDegree = 1600.0 / 360.0;
const OVMapTextLayer::PassOptions kChecked{true, 0};

QString databasePath()
{
    if (const char *path = std::getenv("NIMBREL_LOCATION_DB"))
        return QString::fromLocal8Bit(path);
    return QStringLiteral("build-release/src/location.db");
}

/// The city labels, measured once; empty without a database.
const QList<OVMapAttributedStringPtr> &cityLabels(benchmark::State &state)
{
    static const QList<OVMapAttributedStringPtr> labels = [] {
        QList<OVMapAttributedStringPtr> made;
        OVLocationDB::setLocationFactory([] { return std::make_shared<OVKeyValueMap>(); });
        if (!QFileInfo::exists(databasePath()))
            return made;
        const std::shared_ptr<OVLocationDB> db = OVLocationDB::initWithDatabasePath(databasePath());
        const std::optional<QList<QVariantMap>> rows = db ? db->citiesWithPopulationAbove(50000) : std::nullopt;
        for (const QVariantMap &row : rows.value_or(QList<QVariantMap>())) {
            OVMapAttributedStringPtr label =
                OVMapAttributedString::placeLabel(row.value(QStringLiteral("city")).toString(), 11.0,
                                                  QColor(255, 255, 255, 217), QColor(0, 0, 0, 230), 20.0,
                                                  OVGeoPointMake(row.value(QStringLiteral("latitude")).toDouble(),
                                                                 row.value(QStringLiteral("longitude")).toDouble()));
            label->labelSize();
            made.append(label);
        }
        return made;
    }();
    if (labels.isEmpty())
        state.SkipWithError("no location.db: run tools/locationdb/build.sh or set NIMBREL_LOCATION_DB");
    return labels;
}

void setStatus(const QList<OVMapAttributedStringPtr> &labels, int32_t status)
{
    for (const OVMapAttributedStringPtr &label : labels)
        label->setTextureStatus(status);
}

void BM_FullPass(benchmark::State &state)
{
    const QList<OVMapAttributedStringPtr> &labels = cityLabels(state);
    setStatus(labels, OVMapAttributedString::Loaded);
    qsizetype drawn = 0;
    for (auto _ : state)
        drawn = OVMapTextLayer::pass(labels, {}, kWorld, kPixelsPerDegree, kChecked).draws.size();
    state.counters["labels"] = double(labels.size());
    state.counters["drawn"] = double(drawn);
}
BENCHMARK(BM_FullPass)->Unit(benchmark::kMillisecond);

void BM_CachedPass(benchmark::State &state)
{
    const QList<OVMapAttributedStringPtr> &labels = cityLabels(state);
    setStatus(labels, OVMapAttributedString::Loaded);
    const OVMapTextPassCache cache = OVMapTextLayer::pass(labels, {}, kWorld, kPixelsPerDegree, kChecked).cache;
    for (auto _ : state)
        benchmark::DoNotOptimize(OVMapTextLayer::pass(labels, cache, kWorld, kPixelsPerDegree, kChecked));
}
BENCHMARK(BM_CachedPass)->Unit(benchmark::kMicrosecond);

void BM_TexturesRequested(benchmark::State &state)
{
    const QList<OVMapAttributedStringPtr> &labels = cityLabels(state);
    setStatus(labels, OVMapAttributedString::NoTexture);
    qsizetype ours = 0;
    for (auto _ : state)
        ours = OVMapTextLayer::pass(labels, {}, kWorld, kPixelsPerDegree, kChecked).requests.size();
    // With nothing loaded nothing is drawn, so testing only against drawn labels asks for every
    // label in view.
    qsizetype inView = 0;
    for (const OVMapAttributedStringPtr &label : labels)
        inView += OVMapTextLayer::pass({label}, {}, kWorld, kPixelsPerDegree, kChecked).requests.size();
    state.counters["requests_every_label_in_view"] = double(inView);
    state.counters["requests_not_under_loading"] = double(ours);
}
BENCHMARK(BM_TexturesRequested)->Unit(benchmark::kMillisecond);

void BM_GenerateTexture(benchmark::State &state)
{
    OVTextureRegistry registry;
    auto loader = std::make_shared<OVTextureLoader>(nullptr, registry); // renders, uploads nothing
    OVMapAttributedStringPtr label = OVMapAttributedString::placeLabel(
        QStringLiteral("Rio de Janeiro"), 11.0, Qt::white, QColor(0, 0, 0, 230), 20.0, OVGeoPointMake(-22.9, -43.2));
    label->setTextureLoader(loader);
    for (auto _ : state) {
        label->setTextureStatus(OVMapAttributedString::NoTexture);
        label->generateTexture();
    }
}
BENCHMARK(BM_GenerateTexture)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Fuzz target for the surface-analysis bulletin: its rows joined into feature texts and each
// parsed into a feature with its decoded points. Every decoded position lies on the globe; a
// crash, sanitizer report, hang (a feature's work must stay near linear in its points) or a
// position off the globe is a finding.
#include "FuzzSupport.h"
#include "map/gl/OVMapHPCSurfaceAnalysisSurfaceFeature.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList rows = FuzzSupport::text(data, size).split(QLatin1Char('\n'));
    for (const auto &feature : OVMapHPCSurfaceAnalysisSurfaceFeature::featuresForRows(rows)) {
        if (!feature)
            continue;
        for (const auto &point : feature->points()) {
            if (point.latitude)
                FuzzSupport::require(std::isfinite(*point.latitude) && std::abs(*point.latitude) <= 90.0,
                                     "a latitude off the globe");
            if (point.longitude)
                FuzzSupport::require(std::isfinite(*point.longitude) && std::abs(*point.longitude) <= 360.0,
                                     "a longitude off the globe");
        }
    }
    return 0;
}

// Fuzz target for the surface-analysis bulletin: its rows joined into feature texts and each
// parsed into a feature with its decoded points. Every decoded number is finite (a malformed
// token may decode off the globe, as the format's arithmetic gives; drawing copes with that);
// a crash, sanitizer report, hang or a number that is not finite is a finding.
#include "FuzzSupport.h"
#include "map/layers/OVMapHPCSurfaceAnalysisSurfaceFeature.h"

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
            FuzzSupport::require(!point.latitude || std::isfinite(*point.latitude), "a latitude not finite");
            FuzzSupport::require(!point.longitude || std::isfinite(*point.longitude), "a longitude not finite");
        }
    }
    return 0;
}

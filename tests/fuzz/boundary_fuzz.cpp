// Fuzz target for the map's boundary files ("lat1 lon1 lat2 lon2" per line). Every line gives
// two vertices or none, so the vertex count is even and never more than two per line; a crash,
// sanitizer report or another count is a finding.
#include "FuzzSupport.h"
#include "map/layers/OVMapVectorLayers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<OVGeoVertex> vertices = OVMapLinesLayer::parseBoundaryText(text);
    FuzzSupport::require(vertices.size() % 2 == 0, "a segment with one end");
    // "\r\n" ends one line; counting every '\r' and '\n' overcounts, never undercounts.
    const auto lineEnds = std::count(text.begin(), text.end(), '\n') + std::count(text.begin(), text.end(), '\r');
    FuzzSupport::require(vertices.size() <= size_t(2 * (lineEnds + 1)), "more segments than lines");
    return 0;
}

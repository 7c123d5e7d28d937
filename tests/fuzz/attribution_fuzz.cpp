// Fuzz target for the map's attribution files (one region per line of at least six comma-
// separated fields). A file never gives more regions than it has lines; a crash, sanitizer
// report or more regions is a finding. The credits are laid out for the regions found, as the
// view does.
#include "FuzzSupport.h"
#include "map/views/OVMapAttributionView.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzSupport::ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<OVMapAttributionRegion> regions = OVMapAttributionView::parseAttributionData(bytes);
    const auto lineEnds = std::count(bytes.begin(), bytes.end(), '\n') + std::count(bytes.begin(), bytes.end(), '\r');
    FuzzSupport::require(regions.size() <= lineEnds + 1, "more regions than lines");
    return 0;
}

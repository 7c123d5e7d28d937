// Fuzz target for the DAP2 readers. The first byte picks the reader, the rest is its input:
//   0: the attribute document (DAS) walk;
//   1: the Grid and map matching of a structure document (DDS);
//   2: a data reply, decoded in the array order of its own DDS part (or a fixed order when that
//      part does not parse, so the XDR reading is still reached), also checked against the
//      counts its header declares.
// Any input must end in values or a typed error; a crash, sanitizer report, hang or oversized
// allocation is a finding. Built with clang's libFuzzer when available, and replayed over the
// corpus by a plain main.
#include "opendap/OVOpenDAPFormats.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace OVOpenDAPFormats;
    if (size == 0)
        return 0;
    const std::span<const unsigned char> input(data + 1, size - 1);
    const auto text = [](std::span<const unsigned char> bytes) {
        return QString::fromLatin1(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    };
    switch (data[0] % 3) {
    case 0: {
        // As the dataset source reads a downloaded document: UTF-8, or Latin-1 for an attribute
        // document that is not valid UTF-8.
        const QString document =
            attributeText(QByteArray(reinterpret_cast<const char *>(input.data()), qsizetype(input.size())));
        (void)walkDAS(document.isNull() ? text(input) : document);
        break;
    }
    case 1:
        for (const GridDeclaration &grid : matchGrids(text(input)).grids)
            (void)matchMaps(grid.mapsText);
        break;
    default: {
        const int64_t xdr = xdrOffset(input);
        const ResponseLayout layout = responseLayoutFromDDS(text(input.first(xdr < 0 ? input.size() : size_t(xdr))));
        std::vector<int32_t> types;
        for (const auto &description : layout.order)
            types.push_back(description.type());
        if (layout.error)
            types = {OVOpenDAPValueDescription::Float32, OVOpenDAPValueDescription::Byte,
                     OVOpenDAPValueDescription::Int16, OVOpenDAPValueDescription::Float64};
        (void)decodeDataReply(input, types);
        // As the array request reads a reply: against the counts and types its header declares.
        const DecodedReply checked = decodeCheckedReply(input, types);
        if (!checked.error && !layout.error) {
            for (size_t i = 0; i < checked.arrays.size(); ++i) {
                if (int64_t(checked.arrays[i].size()) != layout.order[i].dimension())
                    __builtin_trap(); // a checked reply holds what its header declares
            }
        }
        break;
    }
    }
    return 0;
}

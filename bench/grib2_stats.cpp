// grib2_stats FILE: decodes every field of a GRIB2 file and prints one tab-separated line per
// field (parameter, level, grid size, present points, min, max, mean), comparable with
// grib_ls -p discipline,parameterCategory,parameterNumber,level,Ni,Nj,numberOfMissing,min,max,average.
// Exit status 1 with the error on stderr when the file cannot be read or decoded.
#include "grib/GRIB2Decoder.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<GRIB2DecodedRecord> records;
    try {
        records = GRIB2Decoder::decodeMessages(bytes);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("discipline\tcategory\tnumber\tname\tlevel\tnx\tny\tpresent\tmin\tmax\tmean\n");
    for (const GRIB2DecodedRecord &record : records) {
        std::size_t present = 0;
        double minimum = std::numeric_limits<double>::quiet_NaN();
        double maximum = minimum;
        double sum = 0;
        for (float value : record.values) {
            if (std::isnan(value))
                continue;
            minimum = present ? std::min<double>(minimum, value) : value;
            maximum = present ? std::max<double>(maximum, value) : value;
            sum += value;
            ++present;
        }
        const double mean = present ? sum / static_cast<double>(present) : std::numeric_limits<double>::quiet_NaN();
        std::printf("%d\t%d\t%d\t%s\t%s\t%u\t%u\t%zu\t%.9g\t%.9g\t%.9g\n", record.product.discipline,
                    record.product.parameterCategory, record.product.parameterNumber,
                    record.variableName.value_or("").c_str(), record.levelDescription.value_or("").c_str(),
                    record.grid.width, record.grid.height, present, minimum, maximum, mean);
    }
    return 0;
}

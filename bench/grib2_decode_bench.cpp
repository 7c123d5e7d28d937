// Time per field of GRIB2Decoder against ecCodes on the same bytes, for each packing with and
// without a bitmap, on two global 0.25° fields: the GDAS ventilation rate (as stored, 5.3, and
// repacked) and a wind-like field (the 1° GFS U field upsampled to 1440 × 721, D = 2). The
// fields are packed at set-up through the ecCodes API. Each benchmark times our decoder and
// reports counters ecCodes_ms (codes_handle_new_from_message + codes_get_double_array of
// "values"), ours_ms and speedup (ecCodes time / ours). Run from a Release build.
#include "grib/GRIB2Decoder.h"

#include <benchmark/benchmark.h>
#include <eccodes.h>

#include <chrono>
#include <cstring>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string dataFile(const char *name) { return std::string(NIMBREL_GRIB_DATA_DIR) + "/" + name; }

void check(int rc, const char *what)
{
    if (rc != 0)
        throw std::runtime_error(std::string(what) + ": " + codes_get_error_message(rc));
}

/// Re-encodes a message with ecCodes: values (NaN: missing), packing and decimal scale.
Bytes encode(const Bytes &templateMessage, std::vector<double> values, const char *packing, long decimalScale)
{
    codes_handle *h = codes_handle_new_from_message_copy(nullptr, templateMessage.data(), templateMessage.size());
    if (!h)
        throw std::runtime_error("ecCodes cannot read the template message");
    bool missing = false;
    for (double &v : values) {
        if (std::isnan(v)) {
            v = 9999;
            missing = true;
        }
    }
    size_t length = std::strlen(packing);
    check(codes_set_string(h, "packingType", packing, &length), "packingType");
    check(codes_set_long(h, "decimalScaleFactor", decimalScale), "decimalScaleFactor");
    check(codes_set_long(h, "bitmapPresent", missing ? 1 : 0), "bitmapPresent");
    check(codes_set_double(h, "missingValue", 9999), "missingValue");
    check(codes_set_double_array(h, "values", values.data(), values.size()), "values");
    const void *message = nullptr;
    size_t size = 0;
    check(codes_get_message(h, &message, &size), "message");
    Bytes bytes(static_cast<const std::uint8_t *>(message), static_cast<const std::uint8_t *>(message) + size);
    codes_handle_delete(h);
    return bytes;
}

std::vector<double> ecCodesValues(const Bytes &message)
{
    codes_handle *h = codes_handle_new_from_message(nullptr, message.data(), message.size());
    if (!h)
        throw std::runtime_error("ecCodes cannot read the message");
    size_t count = 0;
    check(codes_get_size(h, "values", &count), "size");
    std::vector<double> values(count);
    check(codes_get_double_array(h, "values", values.data(), &count), "values");
    codes_handle_delete(h);
    return values;
}

std::vector<double> windLikeField()
{
    const auto records = GRIB2Decoder::decodeMessages(readFile(dataFile("gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2")));
    const std::vector<float> &u = records.at(0).values;  // 360 × 181, north to south
    std::vector<double> values(1440 * 721);
    for (int j = 0; j < 721; ++j) {
        const double y = j / 4.0;
        const int j0 = std::min(static_cast<int>(y), 179);
        const double fy = y - j0;
        for (int i = 0; i < 1440; ++i) {
            const double x = i / 4.0;
            const int i0 = static_cast<int>(x) % 360, i1 = (i0 + 1) % 360;
            const double fx = x - std::floor(x);
            auto at = [&](int jj, int ii) { return static_cast<double>(u[jj * 360 + ii]); };
            values[j * 1440 + i] = (1 - fy) * ((1 - fx) * at(j0, i0) + fx * at(j0, i1))
                + fy * ((1 - fx) * at(j0 + 1, i0) + fx * at(j0 + 1, i1));
        }
    }
    return values;
}

/// The encoded messages by name, made once.
const std::map<std::string, Bytes> &messages()
{
    static const std::map<std::string, Bytes> made = [] {
        std::map<std::string, Bytes> m;
        const Bytes gdas = readFile(dataFile("gdas_0p25_2023011112_f000_VRATE_5.3.grib2"));
        const std::vector<double> vrate = ecCodesValues(gdas);
        const std::vector<double> wind = windLikeField();
        const std::pair<const char *, const char *> packings[] = {
            {"simple", "grid_simple"}, {"complex", "grid_complex"},
            {"complex_sd", "grid_complex_spatial_differencing"}, {"jpeg2000", "grid_jpeg"}};
        for (const auto &[name, packing] : packings) {
            for (bool bitmap : {false, true}) {
                auto withGaps = [&](std::vector<double> v) {
                    if (bitmap) {
                        for (std::size_t i = 0; i < v.size(); ++i)
                            if ((i * 2654435761u) % 10 == 0)
                                v[i] = NAN;
                    }
                    return v;
                };
                const std::string suffix = std::string(name) + (bitmap ? "/bitmap" : "/nobitmap");
                m["vrate/" + suffix] = encode(gdas, withGaps(vrate), packing, -3);
                m["wind/" + suffix] = encode(gdas, withGaps(wind), packing, 2);
            }
        }
        m["vrate/complex_sd/as-stored"] = gdas;
        return m;
    }();
    return made;
}

double secondsPerCall(const auto &call, int calls)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
}

void decodeField(benchmark::State &state, const std::string &name)
{
    const Bytes &bytes = messages().at(name);
    auto ours = [&] { benchmark::DoNotOptimize(GRIB2Decoder::decodeMessages(bytes)); };
    auto theirs = [&] {
        codes_handle *h = codes_handle_new_from_message(nullptr, bytes.data(), bytes.size());
        size_t count = 0;
        codes_get_size(h, "values", &count);
        std::vector<double> values(count);
        codes_get_double_array(h, "values", values.data(), &count);
        benchmark::DoNotOptimize(values.data());
        codes_handle_delete(h);
    };
    for (auto _ : state)
        ours();
    const int calls = 5;
    const double oursSeconds = secondsPerCall(ours, calls);
    const double theirSeconds = secondsPerCall(theirs, calls);
    state.counters["ours_ms"] = oursSeconds * 1e3;
    state.counters["ecCodes_ms"] = theirSeconds * 1e3;
    state.counters["speedup"] = theirSeconds / oursSeconds;
    state.SetLabel(std::to_string(bytes.size()) + " bytes");
}

const bool registered = [] {
    for (const char *field : {"vrate", "wind"}) {
        for (const char *packing : {"simple", "complex", "complex_sd", "jpeg2000"}) {
            for (const char *bitmap : {"nobitmap", "bitmap"}) {
                const std::string name = std::string(field) + "/" + packing + "/" + bitmap;
                benchmark::RegisterBenchmark(("grib2_decode/" + name).c_str(), decodeField, name)
                    ->Unit(benchmark::kMillisecond)->UseRealTime();
            }
        }
    }
    benchmark::RegisterBenchmark("grib2_decode/vrate/complex_sd/as-stored", decodeField, std::string("vrate/complex_sd/as-stored"))
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    return true;
}();

} // namespace

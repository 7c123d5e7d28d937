// bench-libraries: nimbrel_opendap
// Decoding a DAP2 data reply: a whole 0.25-degree field, tmp2m[0][0:720][0:1439] (Float32
// 1440 x 721 with its Float64 time, lat and lon maps, 4.2 MB), through the reply decoder the
// array request uses, beside a bare loop that does only the big-endian loads and the widening
// into freshly allocated arrays. Counters: MB/s of reply, and allocations per decode (the
// decoder should make one per array, plus the list that holds them). Aim: within 1.5x of the
// bare loop. Run from a Release build.
#include "opendap/OVOpenDAPFormats.h"

#include <benchmark/benchmark.h>

#include <QtEndian>

#include <atomic>
#include <bit>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<int64_t> gAllocations{0};

constexpr int kLatitudes = 721;
constexpr int kLongitudes = 1440;

template <class Value> void appendBigEndian(std::vector<unsigned char> &out, Value value)
{
    const size_t at = out.size();
    out.resize(at + sizeof(Value));
    qToBigEndian(value, out.data() + at);
}

template <class Value, class Make> void appendArray(std::vector<unsigned char> &out, uint32_t count, Make make)
{
    appendBigEndian(out, count);
    appendBigEndian(out, count);
    for (uint32_t i = 0; i < count; ++i)
        appendBigEndian(out, Value(make(i)));
}

const std::vector<unsigned char> &reply()
{
    static const std::vector<unsigned char> bytes = [] {
        const QByteArray header = QByteArrayLiteral("Dataset {\n    Grid {\n     ARRAY:\n"
                                                    "        Float32 tmp2m[time = 1][lat = 721][lon = 1440];\n"
                                                    "     MAPS:\n        Float64 time[time = 1];\n"
                                                    "        Float64 lat[lat = 721];\n        Float64 lon[lon = 1440];\n"
                                                    "    } tmp2m;\n} gfs_0p25_00z;\n\nData:\n");
        std::vector<unsigned char> out(header.begin(), header.end());
        appendArray<uint32_t>(out, kLatitudes * kLongitudes,
                              [](uint32_t i) { return std::bit_cast<uint32_t>(250.0f + float(i % 977) * 0.125f); });
        appendArray<uint64_t>(out, 1, [](uint32_t) { return std::bit_cast<uint64_t>(738964.0); });
        appendArray<uint64_t>(out, kLatitudes, [](uint32_t i) { return std::bit_cast<uint64_t>(-90.0 + 0.25 * i); });
        appendArray<uint64_t>(out, kLongitudes, [](uint32_t i) { return std::bit_cast<uint64_t>(0.25 * i); });
        return out;
    }();
    return bytes;
}

void report(benchmark::State &state, int64_t allocations)
{
    const double bytes = double(reply().size()) * double(state.iterations());
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["allocations"] = double(allocations) / double(state.iterations());
}

void BM_DecodeReply(benchmark::State &state)
{
    const auto &bytes = reply();
    const int32_t types[] = {OVOpenDAPValueDescription::Float32, OVOpenDAPValueDescription::Float64,
                             OVOpenDAPValueDescription::Float64, OVOpenDAPValueDescription::Float64};
    gAllocations = 0;
    for (auto _ : state) {
        gCounting = true;
        auto decoded = OVOpenDAPFormats::decodeDataReply(bytes, types);
        gCounting = false;
        if (decoded.error || decoded.arrays.size() != 4)
            state.SkipWithError("the reply did not decode");
        benchmark::DoNotOptimize(decoded.arrays.data());
    }
    report(state, gAllocations);
}
BENCHMARK(BM_DecodeReply)->Unit(benchmark::kMillisecond);

// The floor: find the data, then load and widen each array, knowing the layout beforehand.
void BM_BareLoadAndWiden(benchmark::State &state)
{
    const auto &bytes = reply();
    const int64_t start = OVOpenDAPFormats::xdrOffset(bytes);
    gAllocations = 0;
    for (auto _ : state) {
        gCounting = true;
        std::vector<std::vector<double>> arrays;
        arrays.reserve(4);
        const unsigned char *p = bytes.data() + start;
        const auto take = [&p, &arrays](int width) {
            const uint32_t n = qFromBigEndian<uint32_t>(p);
            p += 8;
            std::vector<double> values(n);
            for (uint32_t i = 0; i < n; ++i, p += width)
                values[i] = width == 4 ? double(std::bit_cast<float>(qFromBigEndian<uint32_t>(p)))
                                       : std::bit_cast<double>(qFromBigEndian<uint64_t>(p));
            arrays.push_back(std::move(values));
        };
        take(4);
        take(8);
        take(8);
        take(8);
        gCounting = false;
        benchmark::DoNotOptimize(arrays.data());
    }
    report(state, gAllocations);
}
BENCHMARK(BM_BareLoadAndWiden)->Unit(benchmark::kMillisecond);

} // namespace

void *operator new(std::size_t size)
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

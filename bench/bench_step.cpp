// The cost of one simulation step against the in-process virtual IOW24,
// with "RD" high, with "init" high and with neither, and the number of
// reports each step exchanges with the device.
#include <benchmark/benchmark.h>

#include "block/rtc_iow24.h"
#include "platform/alerte.h"
#include "virtual/iowvirt.h"

namespace {

void ignore_alert(const char*, const char*) {}

void step(benchmark::State& state, double rd, double init, std::size_t expected_reports) {
    alerte::rediriger(ignore_alert);
    iowvirt::reset();
    iowvirt::set_time_source([] { return std::int64_t{0}; });
    CSimStart(nullptr, nullptr, nullptr);
    double in[8] = {rd, 45, 30, 13, 8, 3, 2011, init};
    double out[6] = {};
    for (auto _ : state) {
        CCalculate(in, out, nullptr);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    iowvirt::clear_log();
    CCalculate(in, out, nullptr);
    const std::size_t reports = iowvirt::log().size();
    state.counters["reports_per_step"] = static_cast<double>(reports);
    CSimStop(nullptr, nullptr, nullptr);
    alerte::rediriger(nullptr);
    if (reports != expected_reports)
        state.SkipWithError("the step exchanged an unexpected number of reports");
}

void BM_StepReading(benchmark::State& state) { step(state, 5.0, 0.0, 8); }
void BM_StepSetting(benchmark::State& state) { step(state, 0.0, 5.0, 4); }
void BM_StepIdle(benchmark::State& state) { step(state, 0.0, 0.0, 0); }

BENCHMARK(BM_StepReading);
BENCHMARK(BM_StepSetting);
BENCHMARK(BM_StepIdle);

}  // namespace

BENCHMARK_MAIN();

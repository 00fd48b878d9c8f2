// The cost of one simulation step against the in-process virtual IOW24,
// with "RD" high, with "init" high and with neither, and the number of
// reports each step exchanges with the device; then the virtual IOW24 as
// it ships, its chip kept in its state file (in a folder of the
// benchmark's own), with "RD" high and with "init" high, and with "RD" high
// once a setting made the file.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "block/rtc_iow24.h"
#include "platform/alerte.h"
#include "virtual/usb/iowvirt.h"

namespace {

void ignore_alert(const char*, const char*) {}

// The device as a test sets it up, or as it ships: with no state file
// yet, or with the file a setting made.
enum class Device { controlled, shipped, shipped_and_set };

// A state file in a new folder, for the shipped device; removed after.
struct StateFolder {
    std::string folder, file;
    StateFolder() {
        char name[] = "/tmp/rtc-bench-XXXXXX";
        folder = mkdtemp(name) != nullptr ? name : "/tmp";
        file = folder + "/horloge-virtuelle.bin";
        setenv("IOWVIRT_STATE", file.c_str(), 1);
        unsetenv("IOWVIRT");
    }
    ~StateFolder() {
        unlink(file.c_str());
        rmdir(folder.c_str());
    }
};

void step(benchmark::State& state, double rd, double init, std::size_t expected_reports,
          Device device = Device::controlled) {
    alerte::rediriger(ignore_alert);
    std::optional<StateFolder> kept;
    if (device != Device::controlled) {
        kept.emplace();
        iowvirt::as_shipped();
    } else {
        iowvirt::reset();
        iowvirt::set_time_source([] { return std::int64_t{0}; });
    }
    CSimStart(nullptr, nullptr, nullptr);
    double in[8] = {rd, 45, 30, 13, 8, 3, 2011, init};
    double out[6] = {};
    if (device == Device::shipped_and_set) {
        double set[8] = {0, 45, 30, 13, 8, 3, 2011, 5};
        CCalculate(set, out, nullptr);
    }
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
void BM_ShippedStepReading(benchmark::State& state) { step(state, 5.0, 0.0, 8, Device::shipped); }
void BM_ShippedStepSetting(benchmark::State& state) { step(state, 0.0, 5.0, 4, Device::shipped); }
void BM_ShippedStepReadingSet(benchmark::State& state) {
    step(state, 5.0, 0.0, 8, Device::shipped_and_set);
}

BENCHMARK(BM_StepReading);
BENCHMARK(BM_StepSetting);
BENCHMARK(BM_StepIdle);
BENCHMARK(BM_ShippedStepReading);
BENCHMARK(BM_ShippedStepSetting);
BENCHMARK(BM_ShippedStepReadingSet);

}  // namespace

BENCHMARK_MAIN();

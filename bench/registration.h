// How both benchmark programs register their runs: wall time throughout; heavy
// runs time themselves once per repetition (timed), leaving their setup out. The
// median of the repetitions is reported.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace bench {

inline int g_reps = 3;  // QRX_BENCH_REPS

template <class F>
benchmark::internal::Benchmark* add(const std::string& name, F fn, bool timed = false, int reps = 0) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kMillisecond);
    b->Repetitions(reps ? reps : g_reps)->ReportAggregatesOnly(true);
    return timed ? b->Iterations(1)->UseManualTime() : b->UseRealTime();
}

}  // namespace bench

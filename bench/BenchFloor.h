#pragma once
// Floors measured in the same run as what they bound: a plain program doing the same work. A floor
// benchmark is registered before the benchmarks that compare with it, records its seconds per
// iteration, and each of those prints its own time divided by it as the counter "x_floor".

#include <QElapsedTimer>
#include <QString>

#include <benchmark/benchmark.h>

#include <map>

namespace benchfloor {

inline std::map<QString, double>& Floors()
{
    static std::map<QString, double> floors;
    return floors;
}

inline void SetFloor(const QString& key, double seconds)
{
    Floors()[key] = seconds;
}

// The body's seconds per iteration of the state, timed by the body alone.
template <class Body>
double SecondsPerIteration(benchmark::State& state, Body&& body)
{
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        body();
        seconds += t.nsecsElapsed() / 1e9;
    }
    return seconds / double(state.iterations());
}

// Nothing when the floor did not run (a filter left it out).
inline void Ratio(benchmark::State& state, const QString& key, double seconds)
{
    const auto it = Floors().find(key);
    if (it != Floors().end() && it->second > 0)
        state.counters["x_floor"] = seconds / it->second;
}

} // namespace benchfloor

#pragma once

#include <QString>

#include <functional>
#include <vector>

// A bench reports its figures through this, one name and value each.
using BenchReport = std::function<void(const QString& name, double value)>;

struct BenchEntry {
    const char* name;
    void (*run)(const BenchReport& report);
    bool onlyWhenNamed = false; // e.g. the child half of a two-process bench
};

// A memory figure of this process from /proc/self/status, in MiB (-1 when
// unknown): "VmRSS" now, "VmHWM" at its peak so far.
double processMemoryMb(const char* field);
inline double residentMb() {
    return processMemoryMb("VmRSS");
}

// Every bench of the program, in the order their files registered them.
std::vector<BenchEntry>& benchRegistry();

struct BenchRegistrar {
    BenchRegistrar(const char* name, void (*run)(const BenchReport&), bool onlyWhenNamed = false) {
        benchRegistry().push_back({name, run, onlyWhenNamed});
    }
};

// Defines and registers a bench:  VIGILO_BENCH(my_bench) { report("x", 1.0); }
#define VIGILO_BENCH(name)                                                                         \
    static void name(const BenchReport& report);                                                   \
    static const BenchRegistrar name##_registrar(#name, &name);                                    \
    static void name(const BenchReport& report)

// A bench that runs only when named on the command line.
#define VIGILO_BENCH_WHEN_NAMED(name)                                                              \
    static void name(const BenchReport& report);                                                   \
    static const BenchRegistrar name##_registrar(#name, &name, true);                              \
    static void name(const BenchReport& report)

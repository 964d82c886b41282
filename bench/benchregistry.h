#pragma once
// Benchmarks register themselves here; zentaro-bench runs them in
// registration order (or the ones named on its command line) and prints
// "name: value" lines.

#include <QString>
#include <functional>

namespace bench {

using Function = std::function<void()>;

struct Registrar {
    Registrar(const char* group, Function function);
};

// Prints one result line "name: value".
void report(const QString& name, double value, int decimals = 2);

}  // namespace bench

#define ZENTARO_BENCH_CAT2(a, b) a##b
#define ZENTARO_BENCH_CAT(a, b) ZENTARO_BENCH_CAT2(a, b)
#define ZENTARO_BENCH(group)                                      \
    static void ZENTARO_BENCH_CAT(bench_fn_, group)();            \
    static bench::Registrar ZENTARO_BENCH_CAT(bench_reg_, group)( \
        #group, &ZENTARO_BENCH_CAT(bench_fn_, group));            \
    static void ZENTARO_BENCH_CAT(bench_fn_, group)()
